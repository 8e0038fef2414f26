// The leak test's control: the platform's own cost of building, rendering
// and releasing filter graphs, measured without the agent.
//   robustness_graph_cycles CYCLES FILE RESULT
// Writes the growth of this process's private bytes over the cycles to RESULT.
#include <windows.h>
#include <dshow.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>

namespace {

SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

// What one open and close through the agent costs the platform.
void OneCycle(const wchar_t* file)
{
    IGraphBuilder* graph = NULL;
    CoCreateInstance(CLSID_FilterGraph, NULL, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                     reinterpret_cast<void**>(&graph));
    if (!graph)
        return;
    IMediaControl* control = NULL;
    IMediaPosition* position = NULL;
    IBasicAudio* audio = NULL;
    graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control));
    graph->QueryInterface(IID_IMediaPosition, reinterpret_cast<void**>(&position));
    graph->QueryInterface(IID_IBasicAudio, reinterpret_cast<void**>(&audio));
    graph->RenderFile(file, NULL);
    if (audio)
        audio->Release();
    if (position)
        position->Release();
    if (control)
        control->Release();
    graph->Release();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    int cycles = atoi(argv[1]);
    wchar_t file[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, argv[2], -1, file, MAX_PATH);
    CoInitialize(NULL);
    OneCycle(file);
    SIZE_T before = PrivateBytes();
    for (int i = 0; i < cycles; ++i)
        OneCycle(file);
    SIZE_T after = PrivateBytes();
    CoUninitialize();
    FILE* result = fopen(argv[3], "w");
    if (!result)
        return 1;
    fprintf(result, "%lld\n", static_cast<long long>(after) - static_cast<long long>(before));
    fclose(result);
    return 0;
}
