// Command round trip: the same copy-data message to the agent and to the
// bare window, alternating in blocks so that both see the same background
// load on a shared machine.
//   round_trip_host --code N [--arg TEXT] --min R --max R --count N [--block N]
// The agent's replies must lie in [min, max]; the bare window echoes the code.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "bare_window_class.h"
#include "json_report.h"
#include "options.h"
#include "timed_command.h"

namespace {

void SendBlock(HWND window, int code, const char* argument, int lowest, int highest, int count,
               std::vector<double>* samples, ReplyTally* tally)
{
    for (int index = 0; index < count; ++index) {
        TimedReply reply = SendTimed(window, code, argument);
        if (tally->Check(reply, lowest, highest))
            samples->push_back(reply.roundTripUs);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    Options options(argc, argv);
    int code = options.Number("--code", HC_GetState);
    std::string argument = options.Text("--arg", "");
    int lowest = options.Number("--min", 0);
    int highest = options.Number("--max", 0);
    int count = options.Number("--count", 10000);
    int block = options.Number("--block", 500);
    const char* text = argument.empty() ? NULL : argument.c_str();

    HWND agentWindow = QuavelFindAgent();
    HWND bareWindow = FindWindowA(BARE_WINDOW_CLASS, NULL);
    if (!agentWindow || !bareWindow) {
        fprintf(stderr, "round_trip_host: agent or bare window missing\n");
        return 1;
    }

    std::vector<double> agentUs;
    std::vector<double> bareUs;
    ReplyTally agentTally;
    ReplyTally bareTally;
    for (int sent = 0; sent < count; sent += block) {
        int size = count - sent < block ? count - sent : block;
        SendBlock(agentWindow, code, text, lowest, highest, size, &agentUs, &agentTally);
        SendBlock(bareWindow, code, text, code, code, size, &bareUs, &bareTally);
    }

    JsonReport report;
    report.Samples("agent_us", agentUs);
    report.Samples("baseline_us", bareUs);
    report.Number("agent_lost", agentTally.lost);
    report.Number("agent_wrong", agentTally.wrong);
    report.Number("baseline_lost", bareTally.lost);
    report.Number("baseline_wrong", bareTally.wrong);
    report.Print();
    return 0;
}
