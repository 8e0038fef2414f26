// Baseline for looping: polls one graph every few milliseconds and restarts
// it the moment it reaches its end. Wine's graph ignores a plain rewind once
// it has handled its end-of-stream, so the restart is stop, seek, run: the
// fastest wrap this platform offers.
//   bare_loop --file PATH --seconds S [--poll-ms MS]
// Prints "playing" once the graph runs, and a JSON summary at the end.
#include <windows.h>

#include <cstdio>

#include "harness/bare_graph.h"
#include "harness/json_report.h"
#include "harness/options.h"

int main(int argc, char** argv)
{
    Options options(argc, argv);
    std::string file = options.Text("--file", "");
    DWORD playMs = static_cast<DWORD>(options.Number("--seconds", 10)) * 1000;
    DWORD pollMs = static_cast<DWORD>(options.Number("--poll-ms", 5));
    CoInitialize(NULL);

    BareGraph graph;
    if (!graph.Build() || !graph.Render(file)) {
        fprintf(stderr, "bare_loop: cannot render %s\n", file.c_str());
        return 1;
    }
    double duration = graph.Duration();
    graph.Run();
    printf("playing\n");
    fflush(stdout);

    int restarts = 0;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < playMs) {
        Sleep(pollMs);
        if (graph.Position() < duration)
            continue;
        graph.Stop();
        graph.SetPosition(0.0);
        graph.Run();
        ++restarts;
    }
    graph.Stop();
    graph.Release();
    CoUninitialize();

    JsonReport report;
    report.Number("restarts", restarts);
    report.Print();
    return 0;
}
