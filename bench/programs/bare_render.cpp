// Baseline for opening a file: the platform's RenderFile in-process, on a
// fresh graph each time, with the graph build timed apart so a profile can
// tell the two costs apart.
//   bare_render --file PATH --count N
#include <windows.h>

#include <vector>

#include "harness/bare_graph.h"
#include "harness/json_report.h"
#include "harness/options.h"
#include "harness/stopwatch.h"

int main(int argc, char** argv)
{
    Options options(argc, argv);
    std::string file = options.Text("--file", "");
    int count = options.Number("--count", 100);
    CoInitialize(NULL);

    // The first render loads the media framework's libraries; the agent has
    // paid that before it is timed too.
    BareGraph graph;
    graph.Build();
    graph.Render(file);
    graph.Release();

    std::vector<double> buildUs;
    std::vector<double> renderUs;
    int failures = 0;
    for (int index = 0; index < count; ++index) {
        Stopwatch stopwatch;
        graph.Build();
        buildUs.push_back(stopwatch.ElapsedUs());
        stopwatch.Restart();
        if (!graph.Render(file))
            ++failures;
        renderUs.push_back(stopwatch.ElapsedUs());
        graph.Release();
    }
    CoUninitialize();

    JsonReport report;
    report.Samples("build_us", buildUs);
    report.Samples("render_us", renderUs);
    report.Number("failures", failures);
    report.Print();
    return 0;
}
