// Baseline: one hidden window, a 50 ms timer that does nothing and a window
// procedure that answers every copy-data message at once with its code. It
// is the platform's floor for a message round trip, for starting a window
// program and for idling with the agent's timer.
//   bare_window [--graphs N [--render FILE]]
// --graphs builds N filter graphs before the window exists, as the agent
// does with its two channels: it tells the platform's share of the agent's
// start-up apart from the agent's own. --render loads FILE into each graph
// and leaves it stopped: the platform's share of the agent's idle cost with
// both channels loaded.
#include <windows.h>

#include <string>

#include "bare_graph.h"
#include "bare_window_class.h"
#include "options.h"

namespace {

const UINT_PTR kTimerId = 1;
const UINT kTimerPeriodMs = 50;
const int kWindowSize = 100;

LRESULT CALLBACK BareWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        return 0;
    case WM_COPYDATA:
        return static_cast<LRESULT>(reinterpret_cast<const COPYDATASTRUCT*>(lParam)->dwData);
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
    CoInitialize(NULL);
    BareGraph* graphs = graphCount > 0 ? new BareGraph[graphCount] : NULL;
    std::string file = options.Text("--render", "");
    for (int index = 0; index < graphCount; ++index) {
        graphs[index].Build();
        if (!file.empty())
            graphs[index].Render(file);
    }

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = BareWndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = BARE_WINDOW_CLASS;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, BARE_WINDOW_CLASS, "bare", WS_OVERLAPPEDWINDOW, 0, 0, kWindowSize,
                                  kWindowSize, NULL, NULL, instance, NULL);
    if (!window)
        return 1;
    SetTimer(window, kTimerId, kTimerPeriodMs, NULL);

    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    delete[] graphs;
    CoUninitialize();
    return 0;
}
