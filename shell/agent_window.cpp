#include "shell/agent_window.h"

#include "common/agent_state.h"
#include "common/tick_clock.h"
#include "quavel/protocol.h"
#include "shell/copy_data_command.h"
#include "shell/timer_tick.h"

namespace {

const char kInitialTitle[] = "Quavel";
const int kWindowSize = 100;

void RegisterAgentClass()
{
    WNDCLASSA windowClass = {};
    windowClass.style = 0;
    windowClass.lpfnWndProc = AgentWndProc;
    windowClass.hInstance = agent.instance;
    windowClass.hIcon = LoadIconA(NULL, IDI_WINLOGO);
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = QUAVEL_WINDOW_CLASS;
    // A failed registration shows up as the window creation failing.
    RegisterClassA(&windowClass);
}

// System commands whose default handling waits for the user: moving,
// sizing, menus, scroll bars and context help track the mouse or keyboard in
// a loop of their own; the task list and the screen saver start other
// programs. The window is never shown, so nobody could ever end such a loop:
// the agent would stop serving.
bool WaitsForTheUser(WPARAM command)
{
    switch (command & 0xFFF0) {
    case SC_MOVE:
    case SC_SIZE:
    case SC_MOUSEMENU:
    case SC_KEYMENU:
    case SC_HSCROLL:
    case SC_VSCROLL:
    case SC_CONTEXTHELP:
    case SC_TASKLIST:
    case SC_SCREENSAVE:
        return true;
    default:
        return false;
    }
}

}  // namespace

bool CreateAgentWindow()
{
    RegisterAgentClass();
    HWND window = CreateWindowExA(0, QUAVEL_WINDOW_CLASS, kInitialTitle, WS_OVERLAPPEDWINDOW, 0, 0,
                                  kWindowSize, kWindowSize, NULL, NULL, agent.instance, NULL);
    if (!window)
        return false;
    agent.agentWindow = window;
    SetTimer(window, kTickTimerId, kTickPeriodMs, NULL);
    return true;
}

void DestroyAgentWindow()
{
    if (!agent.agentWindow)
        return;
    DestroyWindow(agent.agentWindow);
    agent.agentWindow = NULL;
    agent.loopWakeUpArmed = false;
}

bool IsAgentRunning()
{
    return FindWindowA(QUAVEL_WINDOW_CLASS, NULL) != NULL;
}

// The close command quits without letting the default procedure destroy the
// window: the shutdown sequence destroys it after the fade.
LRESULT CALLBACK AgentWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SYSCOMMAND:
        if (wParam == SC_CLOSE) {
            agent.quitRequested = true;
            return 0;
        }
        if (WaitsForTheUser(wParam))
            return 0;
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_DESTROY:
        agent.quitRequested = true;
        return 0;
    // Only a WM_QUIT sent to the window reaches here (a posted one ends
    // GetMessageA); hosts have used it to quit the agent, so it still does.
    case WM_QUIT:
        agent.quitRequested = true;
        return 0;
    case QUAVEL_PING_MESSAGE:
        agent.lastHostContact = CurrentTick();
        return 0;
    case WM_TIMER:
        OnTimerTick(wParam);
        return 0;
    case WM_COPYDATA:
        agent.lastHostContact = CurrentTick();
        return RunCopyDataCommand(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
