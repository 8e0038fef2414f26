// HC_OpenFile as a host sees it: open, then close, on the first channel,
// timing each open's round trip.
//   open_file_host --file PATH --count N [--fresh 1]
// --fresh 1 makes each open one of a new version of the file (its last
// write moved on just before, outside the timing): the agent reads and
// renders it afresh. Otherwise the agent keeps the graph of a file short
// enough between the opens; an untimed open comes first, so that every
// timed one takes the kept graph.
#include <windows.h>

#include <vector>

#include "harness/json_report.h"
#include "harness/options.h"
#include "harness/timed_command.h"

namespace {

// The write time the agent tells versions apart by, set to now.
bool MoveLastWrite(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    bool moved = SetFileTime(file, NULL, NULL, &now) != FALSE;
    CloseHandle(file);
    return moved;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options(argc, argv);
    std::string file = options.Text("--file", "");
    int count = options.Number("--count", 100);
    bool fresh = options.Number("--fresh", 0) != 0;
    HWND agentWindow = QuavelFindAgent();

    std::vector<double> openUs;
    ReplyTally tally;
    if (!fresh) {
        tally.Check(SendTimed(agentWindow, HC_OpenFile, file.c_str()), 1, 1);
        tally.Check(SendTimed(agentWindow, HC_Close, NULL), 1, 1);
    }
    for (int index = 0; index < count; ++index) {
        if (fresh && !MoveLastWrite(file))
            ++tally.wrong;
        TimedReply reply = SendTimed(agentWindow, HC_OpenFile, file.c_str());
        if (tally.Check(reply, 1, 1))
            openUs.push_back(reply.roundTripUs);
        tally.Check(SendTimed(agentWindow, HC_Close, NULL), 1, 1);
    }

    JsonReport report;
    report.Samples("open_us", openUs);
    report.Number("lost", tally.lost);
    report.Number("wrong", tally.wrong);
    report.Print();
    return 0;
}
