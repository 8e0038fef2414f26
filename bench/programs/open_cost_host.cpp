// What HC_OpenFile costs the agent over many opens on its first channel,
// counted from outside: its handles, threads and private bytes, sampled
// every so many opens.
//   open_cost_host --pattern close|held|alternate|set --file PATH --other PATH
//                  [--set PATH|PATH...] --count N --every K
// close: HC_Close, then HC_OpenFile of the same file; held: HC_OpenFile of
// the file the channel holds; alternate: the two files (two formats) in turn;
// set: the set's files in turn.
#include <windows.h>

#include "cost_run.h"
#include "cost_samples.h"
#include "harness/json_report.h"
#include "harness/options.h"
#include "harness/timed_command.h"

namespace {

const DWORD kProcessAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;

void OpenOnce(HWND agent, const CostRun& run, int index, ReplyTally* tally)
{
    if (run.pattern == "close")
        tally->Check(SendTimed(agent, HC_Close, NULL), 1, 1);
    tally->Check(SendTimed(agent, HC_OpenFile, run.FileFor(index).c_str()), 1, 1);
}

}  // namespace

int main(int argc, char** argv)
{
    CostRun run(Options(argc, argv), "close");
    HWND agent = QuavelFindAgent();
    DWORD processId = 0;
    GetWindowThreadProcessId(agent, &processId);
    HANDLE process = OpenProcess(kProcessAccess, FALSE, processId);
    if (!process)
        return 1;

    // The first open of each kind of file asks the platform's filter mapper,
    // and each file of a set is opened once before it is counted.
    ReplyTally tally;
    tally.Check(SendTimed(agent, HC_OpenFile, run.other.c_str()), 1, 1);
    tally.Check(SendTimed(agent, HC_OpenFile, run.file.c_str()), 1, 1);
    for (const std::string& file : run.set)
        tally.Check(SendTimed(agent, HC_OpenFile, file.c_str()), 1, 1);

    CostSamples samples(process);
    samples.Measure(run, [&](int index) { OpenOnce(agent, run, index, &tally); });
    tally.Check(SendTimed(agent, HC_Close, NULL), 1, 1);
    CloseHandle(process);

    JsonReport report;
    samples.Report(&report);
    report.Number("lost", tally.lost);
    report.Number("wrong", tally.wrong);
    report.Print();
    return 0;
}
