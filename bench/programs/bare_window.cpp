// Baseline: one hidden window with the agent's 50 ms timer (doing nothing)
// and a window procedure that answers every copy-data message with its code.
// It is the platform's floor for a message round trip, for starting a window
// program and for idling with the agent's timer.
//   bare_window [--graphs N [--render FILE [--run 1]]] [--graph-replies 1]
// --graphs builds N filter graphs before the window exists, as the agent
// does with its two channels: the platform's share of the agent's start-up.
// --render loads FILE into each graph and leaves it stopped (--run 1: playing):
// the platform's share of the agent's idle cost with files loaded.
// --graph-replies makes the graph calls the agent makes for each command on
// the first graph before answering (and uses BARE_GRAPH_WINDOW_CLASS): the
// platform's share of a command's round trip.
#include <windows.h>

#include <memory>
#include <string>

#include "harness/bare_graph.h"
#include "harness/bare_window_class.h"
#include "harness/options.h"
#include "quavel/protocol.h"

namespace {

const UINT_PTR kTimerId = 1;
const UINT kTimerPeriodMs = 50;
const int kWindowSize = 100;

BareGraph* repliesGraph = NULL;

// The queries the agent's channel makes for each command; every other code
// needs no graph call before its reply.
void GraphCallsFor(int code, BareGraph& graph)
{
    switch (code) {
    case HC_IsPlaying:
    case HC_GetState:
        graph.State();
        graph.Duration();
        graph.Position();
        return;
    case HC_GetPosition:
        graph.Position();
        return;
    case HC_GetDuration:
        graph.Duration();
        return;
    case HC_SetVolume:
        graph.SetVolume(0);
        return;
    default:
        return;
    }
}

LRESULT CALLBACK BareWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        return 0;
    case WM_COPYDATA: {
        int code = static_cast<int>(reinterpret_cast<const COPYDATASTRUCT*>(lParam)->dwData);
        if (repliesGraph)
            GraphCallsFor(code, *repliesGraph);
        return code;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    Options options(__argc, __argv);
    int graphCount = options.Number("--graphs", 0);
    std::string file = options.Text("--render", "");
    bool run = options.Number("--run", 0) != 0;
    bool graphReplies = options.Number("--graph-replies", 0) != 0;
    CoInitialize(NULL);
    std::unique_ptr<BareGraph[]> graphs(graphCount > 0 ? new BareGraph[graphCount] : NULL);
    for (int index = 0; index < graphCount; ++index) {
        graphs[index].Build();
        if (!file.empty() && graphs[index].Render(file) && run)
            graphs[index].Run();
    }
    if (graphReplies && graphCount > 0)
        repliesGraph = &graphs[0];
    const char* windowClassName = graphReplies ? BARE_GRAPH_WINDOW_CLASS : BARE_WINDOW_CLASS;

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = BareWndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = windowClassName;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClassName, "bare", WS_OVERLAPPEDWINDOW, 0, 0,
                                  kWindowSize, kWindowSize, NULL, NULL, instance, NULL);
    if (!window)
        return 1;
    SetTimer(window, kTimerId, kTimerPeriodMs, NULL);

    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    repliesGraph = NULL;
    graphs.reset();
    CoUninitialize();
    return 0;
}
