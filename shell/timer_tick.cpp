#include "shell/timer_tick.h"

#include "common/agent_state.h"
#include "common/tick_clock.h"
#include "shell/host_watchdog.h"

namespace {

// Tells an observer that the agent is watching a registered host window.
// Written on every such tick, not once: hosts overwrite the title and wait
// for it to come back to see that the watchdog is armed.
const char kWatchingTitle[] = ".";

}  // namespace

// The time is read before the channels are serviced, so a slow graph call
// cannot push a host that was just in time past the watchdog's limit.
void OnTimerTick()
{
    DWORD now = CurrentTick();
    agent.channel1->ServiceLoop();
    agent.channel2->ServiceLoop();
    if (!agent.infoWindow || agent.quitRequested)
        return;
    WatchHost(now);
    SetWindowTextA(agent.agentWindow, kWatchingTitle);
}
