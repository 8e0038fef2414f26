#include "shell/service_mode.h"

#include <windows.h>

#include "common/agent_state.h"
#include "common/tick_clock.h"
#include "shell/agent_window.h"
#include "shell/shutdown.h"
#include "shell/startup_lock.h"

namespace {

// Commands arrive as sent messages and are handled inside GetMessageA's
// wait; only posted messages return from it, and the window's 50 ms timer
// guarantees one, so a quit request ends the loop within one timer period.
// A failed retrieval leaves nothing to dispatch, so it only gets the quit test.
void RunMessageLoop()
{
    MSG message = {};
    for (;;) {
        BOOL result = GetMessageA(&message, agent.agentWindow, 0, 0);
        if (result == 0 || agent.quitRequested)
            return;
        if (result == -1)
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// False when another agent already serves or no window could be made.
bool ClaimServiceRole()
{
    StartupLock lock;
    if (IsAgentRunning())
        return false;
    return CreateAgentWindow();
}

}  // namespace

// High priorities on purpose, as hosts have always had them: the agent's
// replies and its timer must not wait behind the host's own work.
void RunServiceMode()
{
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    if (!ClaimServiceRole())
        return;
    agent.lastHostContact = CurrentTick();
    RunMessageLoop();
    ShutDown();
}
