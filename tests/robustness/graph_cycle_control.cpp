// The leak test's control: the platform's own cost of building, rendering
// and releasing filter graphs, measured without the agent.
//   robustness_graph_cycles CYCLES FILE RESULT
// Writes the growth of this process's private bytes and handles over the
// cycles to RESULT, in that order.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "harness/bare_graph.h"
#include "harness/process_counts.h"

namespace {

// What one open and close through the agent costs the platform.
void OneCycle(const char* file)
{
    BareGraph graph;
    if (graph.Build())
        graph.Render(file);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    int cycles = atoi(argv[1]);
    CoInitialize(NULL);
    OneCycle(argv[2]);
    ProcessCounts before = CountsOfThisProcess();
    for (int i = 0; i < cycles; ++i)
        OneCycle(argv[2]);
    ProcessCounts after = CountsOfThisProcess();
    CoUninitialize();
    FILE* result = fopen(argv[3], "w");
    if (!result)
        return 1;
    fprintf(result, "%lld %ld\n", after.privateBytes - before.privateBytes,
            after.handles - before.handles);
    fclose(result);
    return 0;
}
