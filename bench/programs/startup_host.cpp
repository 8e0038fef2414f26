// Start to ready: from process creation until the program's window can be
// found, for the agent and for the bare window (and, to profile the agent's
// start-up, the bare window building two filter graphs first), in turns so
// every kind sees the same background load.
//   startup_host --count N
#include <windows.h>

#include <cstdio>
#include <vector>

#include "harness/bare_window_class.h"
#include "harness/json_report.h"
#include "harness/options.h"
#include "quavel/protocol.h"
#include "harness/sibling_program.h"
#include "harness/started_program.h"
#include "harness/stopwatch.h"

namespace {

const DWORD kReadyBoundMs = 30000;
// Lets the previous process's teardown finish before the next start.
const DWORD kSettleMs = 300;

struct Contender {
    const char* key;
    std::string commandLine;
    const char* windowClass;
    std::vector<double> samples;
};

// Negative when the window never appeared.
double TimeToReady(const Contender& contender)
{
    Stopwatch stopwatch;
    StartedProgram program(contender.commandLine);
    HWND window = program.Started() ? program.WaitForWindow(contender.windowClass, kReadyBoundMs)
                                    : NULL;
    double elapsedUs = stopwatch.ElapsedUs();
    if (!window)
        return -1.0;
    program.Close(window);
    Sleep(kSettleMs);
    return elapsedUs;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options(argc, argv);
    int count = options.Number("--count", 20);
    std::string bare = QuotedSiblingProgram("bare_window.exe");
    Contender contenders[] = {
        {"agent_us", QuotedSiblingProgram("quavel.exe"), QUAVEL_WINDOW_CLASS, {}},
        {"baseline_us", bare, BARE_WINDOW_CLASS, {}},
        {"bare_two_graphs_us", bare + " --graphs 2", BARE_WINDOW_CLASS, {}},
    };

    int failures = 0;
    // Round 0 warms the file cache and the media framework's libraries.
    for (int round = 0; round <= count; ++round) {
        for (Contender& contender : contenders) {
            double elapsedUs = TimeToReady(contender);
            if (elapsedUs < 0)
                ++failures;
            else if (round > 0)
                contender.samples.push_back(elapsedUs);
        }
    }

    JsonReport report;
    for (const Contender& contender : contenders)
        report.Samples(contender.key, contender.samples);
    report.Number("failures", failures);
    report.Print();
    return 0;
}
