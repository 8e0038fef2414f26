// Command round trip: the same copy-data message to the agent, to the bare
// graph window (the same graph calls on a loaded, playing graph: the
// baseline) and to the plain bare window (no graph call: the messaging
// floor), in turns of one block each so that all three see the same
// background load on a shared machine.
//   round_trip_host --code N [--arg TEXT] --min R --max R --count N [--block N]
// The agent's replies must lie in [min, max]; the bare windows echo the code.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "harness/bare_window_class.h"
#include "harness/json_report.h"
#include "harness/options.h"
#include "harness/timed_command.h"

namespace {

struct Target {
    const char* key;
    HWND window;
    int lowest;
    int highest;
    std::vector<double> samples;
    ReplyTally tally;
};

void SendBlock(Target& target, int code, const char* argument, int count)
{
    for (int index = 0; index < count; ++index) {
        TimedReply reply = SendTimed(target.window, code, argument);
        if (target.tally.Check(reply, target.lowest, target.highest))
            target.samples.push_back(reply.roundTripUs);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    Options options(argc, argv);
    int code = options.Number("--code", HC_GetState);
    std::string argument = options.Text("--arg", "");
    int count = options.Number("--count", 10000);
    int block = options.Number("--block", 500);
    const char* text = argument.empty() ? NULL : argument.c_str();

    Target targets[] = {
        {"agent", QuavelFindAgent(), options.Number("--min", 0), options.Number("--max", 0), {}, {}},
        {"baseline", FindWindowA(BARE_GRAPH_WINDOW_CLASS, NULL), code, code, {}, {}},
        {"plain", FindWindowA(BARE_WINDOW_CLASS, NULL), code, code, {}, {}},
    };
    for (const Target& target : targets) {
        if (!target.window) {
            fprintf(stderr, "round_trip_host: no %s window\n", target.key);
            return 1;
        }
    }

    for (int sent = 0; sent < count; sent += block) {
        int size = count - sent < block ? count - sent : block;
        for (Target& target : targets)
            SendBlock(target, code, text, size);
    }

    JsonReport report;
    for (const Target& target : targets) {
        std::string key(target.key);
        report.Samples((key + "_us").c_str(), target.samples);
        report.Number((key + "_lost").c_str(), target.tally.lost);
        report.Number((key + "_wrong").c_str(), target.tally.wrong);
    }
    report.Print();
    return 0;
}
