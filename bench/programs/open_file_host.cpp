// HC_OpenFile as a host sees it: open, then close, on the first channel,
// timing each open's round trip.
//   open_file_host --file PATH --count N
#include <windows.h>

#include <vector>

#include "harness/json_report.h"
#include "harness/options.h"
#include "harness/timed_command.h"

int main(int argc, char** argv)
{
    Options options(argc, argv);
    std::string file = options.Text("--file", "");
    int count = options.Number("--count", 100);
    HWND agentWindow = QuavelFindAgent();

    std::vector<double> openUs;
    ReplyTally tally;
    for (int index = 0; index < count; ++index) {
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
