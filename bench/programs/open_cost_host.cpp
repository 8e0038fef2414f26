// What HC_OpenFile costs the agent over many opens on its first channel,
// counted from outside: its handles, threads and private bytes, sampled
// every so many opens.
//   open_cost_host --pattern close|held|alternate --file PATH --other PATH
//                  --count N --every K
// close: HC_Close, then HC_OpenFile of the same file; held: HC_OpenFile of
// the file the channel holds; alternate: the two files (two formats) in turn.
#include <windows.h>

#include <string>

#include "cost_samples.h"
#include "json_report.h"
#include "options.h"
#include "timed_command.h"

namespace {

const DWORD kProcessAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;

void OpenOnce(HWND agent, const std::string& pattern, int index, const std::string& file,
              const std::string& other, ReplyTally* tally)
{
    if (pattern == "close")
        tally->Check(SendTimed(agent, HC_Close, NULL), 1, 1);
    const std::string& next = pattern == "alternate" && index % 2 == 0 ? other : file;
    tally->Check(SendTimed(agent, HC_OpenFile, next.c_str()), 1, 1);
}

}  // namespace

int main(int argc, char** argv)
{
    Options options(argc, argv);
    std::string pattern = options.Text("--pattern", "close");
    std::string file = options.Text("--file", "");
    std::string other = options.Text("--other", "");
    int count = options.Number("--count", 100);
    int every = options.Number("--every", 10);

    HWND agent = QuavelFindAgent();
    DWORD processId = 0;
    GetWindowThreadProcessId(agent, &processId);
    HANDLE process = OpenProcess(kProcessAccess, FALSE, processId);
    if (!process)
        return 1;

    // The first open of each kind of file asks the platform's filter mapper.
    ReplyTally tally;
    tally.Check(SendTimed(agent, HC_OpenFile, other.c_str()), 1, 1);
    tally.Check(SendTimed(agent, HC_OpenFile, file.c_str()), 1, 1);

    CostSamples samples(processId, process);
    DWORD start = GetTickCount();
    for (int index = 0; index < count; ++index) {
        if (index % every == 0)
            samples.Take(index);
        OpenOnce(agent, pattern, index, file, other, &tally);
    }
    samples.Take(count);
    DWORD elapsedMs = GetTickCount() - start;
    tally.Check(SendTimed(agent, HC_Close, NULL), 1, 1);
    CloseHandle(process);

    JsonReport report;
    samples.Report(&report);
    report.Number("seconds", elapsedMs / 1000.0);
    report.Number("lost", tally.lost);
    report.Number("wrong", tally.wrong);
    report.Print();
    return 0;
}
