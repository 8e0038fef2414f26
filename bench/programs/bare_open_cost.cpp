// Baseline for the open cost row: the platform's graph build, RenderFile and
// release, in-process, counted the same way as the agent.
//   bare_open_cost --pattern same|alternate|set --file PATH --other PATH
//                  [--set PATH|PATH...] --count N --every K
#include <windows.h>

#include "harness/bare_graph.h"
#include "cost_run.h"
#include "cost_samples.h"
#include "harness/json_report.h"
#include "harness/options.h"

int main(int argc, char** argv)
{
    CostRun run(Options(argc, argv), "same");
    CoInitialize(NULL);

    // As for the agent: each file once before counting.
    BareGraph graph;
    int failures = 0;
    std::vector<std::string> warm = run.set;
    warm.insert(warm.begin(), {run.other, run.file});
    for (const std::string& file : warm) {
        graph.Build();
        failures += !graph.Render(file);
        graph.Release();
    }

    CostSamples samples(GetCurrentProcess());
    samples.Measure(run, [&](int index) {
        graph.Build();
        failures += !graph.Render(run.FileFor(index));
        graph.Release();
    });
    CoUninitialize();

    JsonReport report;
    samples.Report(&report);
    report.Number("failures", failures);
    report.Print();
    return 0;
}
