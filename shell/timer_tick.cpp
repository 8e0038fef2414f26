#include "shell/timer_tick.h"

#include "common/agent_state.h"
#include "common/tick_clock.h"
#include "shell/host_watchdog.h"

namespace {

// Tells an observer that the agent has seen a registered host window.
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
