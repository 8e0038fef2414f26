// Baseline for the open cost row: the platform's graph build, RenderFile and
// release, in-process, counted the same way as the agent.
//   bare_open_cost --pattern same|alternate --file PATH --other PATH
//                  --count N --every K
#include <windows.h>

#include <string>

#include "bare_graph.h"
#include "cost_samples.h"
#include "json_report.h"
#include "options.h"

int main(int argc, char** argv)
{
    Options options(argc, argv);
    std::string pattern = options.Text("--pattern", "same");
    std::string file = options.Text("--file", "");
    std::string other = options.Text("--other", "");
    int count = options.Number("--count", 100);
    int every = options.Number("--every", 10);
    CoInitialize(NULL);

    // As for the agent: each file once before counting.
    BareGraph graph;
    int failures = 0;
    for (const std::string* warm : {&other, &file}) {
        graph.Build();
        failures += !graph.Render(*warm);
        graph.Release();
    }

    CostSamples samples(GetCurrentProcessId(), GetCurrentProcess());
    DWORD start = GetTickCount();
    for (int index = 0; index < count; ++index) {
        if (index % every == 0)
            samples.Take(index);
        const std::string& next = pattern == "alternate" && index % 2 == 0 ? other : file;
        graph.Build();
        failures += !graph.Render(next);
        graph.Release();
    }
    samples.Take(count);
    DWORD elapsedMs = GetTickCount() - start;
    CoUninitialize();

    JsonReport report;
    samples.Report(&report);
    report.Number("seconds", elapsedMs / 1000.0);
    report.Number("failures", failures);
    report.Print();
    return 0;
}
