#include "shell/timer_tick.h"

#include <cmath>

#include "common/agent_state.h"
#include "playback/playback_channel.h"
#include "common/tick_clock.h"
#include "shell/host_watchdog.h"

namespace {

// Tells an observer that the agent is watching a registered host window.
// Written on every such tick, not once: hosts overwrite the title and wait
// for it to come back to see that the watchdog is armed.
const char kWatchingTitle[] = ".";
const double kMsPerSecond = 1000.0;
// The reference clock counts whole milliseconds under Wine, so a wake-up set
// for the time left rounded up can still come just short of it.
const double kWakeUpSlackMs = 1.0;

// Never early: a wake-up that comes too soon finds nothing to service and
// has to wait out another USER_TIMER_MINIMUM (10 ms), which SetTimer imposes
// on shorter delays anyway. Wine times window timers to the millisecond;
// Windows counts them in clock ticks (15.6 ms unless raised), so there a
// service can come up to a tick or two late.
UINT WakeUpDelayMs(double seconds)
{
    double delay = std::ceil(seconds * kMsPerSecond) + kWakeUpSlackMs;
    if (delay < USER_TIMER_MINIMUM)
        return USER_TIMER_MINIMUM;
    return static_cast<UINT>(delay);
}

// Assumes: both channels exist and were just serviced. The soonest service
// due among the running looping channels, if it falls before the next tick.
// One due at once was just serviced and found nothing it could do yet: the
// tick tries again, where a wake-up would only spin.
bool ServiceDueBeforeNextTick(double* seconds)
{
    PlaybackChannel* channels[] = {agent.channel1.get(), agent.channel2.get()};
    bool due = false;
    double soonest = kTickPeriodMs / kMsPerSecond;
    for (PlaybackChannel* channel : channels) {
        double left = 0.0;
        if (channel->SecondsToService(&left) && left > 0.0 && left < soonest) {
            soonest = left;
            due = true;
        }
    }
    *seconds = soonest;
    return due;
}

// Assumes: the agent window exists. Set afresh or killed on every tick, the
// wake-up's own included, so it fires once for each service; an agent with
// no service due makes no timer calls at all.
void ScheduleLoopWakeUp()
{
    double left = 0.0;
    if (ServiceDueBeforeNextTick(&left)) {
        agent.loopWakeUpArmed =
            SetTimer(agent.agentWindow, kLoopWakeUpTimerId, WakeUpDelayMs(left), NULL) != 0;
        return;
    }
    if (!agent.loopWakeUpArmed)
        return;
    KillTimer(agent.agentWindow, kLoopWakeUpTimerId);
    agent.loopWakeUpArmed = false;
}

}  // namespace

// The time is read before the channels are serviced, so a slow graph call
// cannot push a host that was just in time past the watchdog's limit. The
// wake-up leaves the watchdog and the title to the tick, which keeps its
// own pace whatever the loops do.
void OnTimerTick(UINT_PTR timerId)
{
    DWORD now = CurrentTick();
    agent.channel1->ServiceLoop();
    agent.channel2->ServiceLoop();
    ScheduleLoopWakeUp();
    if (timerId == kLoopWakeUpTimerId || !agent.infoWindow || agent.quitRequested)
        return;
    WatchHost(now);
    SetWindowTextA(agent.agentWindow, kWatchingTitle);
}
