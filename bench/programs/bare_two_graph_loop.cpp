// Experiment, not a baseline: can a loop through DirectShow be gapless on
// this platform? Two graphs hold the same file. The idle one waits paused at
// the start and is run the moment the playing one's position reaches the
// duration; the one that finished keeps playing its tail, and is stopped,
// rewound and paused again shortly before the next wrap. Polls every few
// milliseconds, like the floor program.
//   bare_two_graph_loop --file PATH --seconds S [--poll-ms MS] [--cue-lead-ms MS]
// Prints "playing" once the first graph runs, and a JSON summary at the end:
// how many switches, how long cueing took, and how many switches found the
// idle graph not yet settled in its pause.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "harness/bare_graph.h"
#include "harness/json_report.h"
#include "harness/options.h"
#include "harness/stopwatch.h"

namespace {

const int kGraphs = 2;

// Stop, rewind and pause: the graph is then ready to run from the start.
void Cue(BareGraph& graph)
{
    graph.Stop();
    graph.SetPosition(0.0);
    graph.Pause();
}

}  // namespace

int main(int argc, char** argv)
{
    Options options(argc, argv);
    std::string file = options.Text("--file", "");
    DWORD playMs = static_cast<DWORD>(options.Number("--seconds", 10)) * 1000;
    DWORD pollMs = static_cast<DWORD>(options.Number("--poll-ms", 5));
    // As late as cueing allows: the finished graph's tail is still heard for
    // about the renderer's start delay after the switch.
    double cueLeadS = options.Number("--cue-lead-ms", 40) / 1000.0;
    CoInitialize(NULL);

    BareGraph graphs[kGraphs];
    for (int index = 0; index < kGraphs; ++index) {
        if (!graphs[index].Build() || !graphs[index].Render(file)) {
            fprintf(stderr, "bare_two_graph_loop: cannot render %s\n", file.c_str());
            return 1;
        }
    }
    double duration = graphs[0].Duration();
    Cue(graphs[1]);
    graphs[0].Run();
    printf("playing\n");
    fflush(stdout);

    int playing = 0;
    bool idleCued = true;
    int switches = 0;
    int unsettled = 0;
    std::vector<double> cueMs;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < playMs) {
        Sleep(pollMs);
        BareGraph& idle = graphs[1 - playing];
        double position = graphs[playing].Position();
        if (!idleCued && position >= duration - cueLeadS) {
            Stopwatch cueing;
            Cue(idle);
            cueMs.push_back(cueing.ElapsedUs() / 1000.0);
            idleCued = true;
        }
        if (position < duration)
            continue;
        if (!idle.Settled())
            ++unsettled;
        idle.Run();
        playing = 1 - playing;
        idleCued = false;
        ++switches;
    }
    for (int index = 0; index < kGraphs; ++index) {
        graphs[index].Stop();
        graphs[index].Release();
    }
    CoUninitialize();

    JsonReport report;
    report.Number("switches", switches);
    report.Number("unsettled_switches", unsettled);
    report.Samples("cue_ms", cueMs);
    report.Print();
    return 0;
}
