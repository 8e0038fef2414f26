#include "shell/timer_tick.h"

#include <cmath>

#include "common/agent_state.h"
#include "playback/agent_clock.h"
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

PlaybackChannel& Channel(int index)
{
    return index == 0 ? *agent.channel1 : *agent.channel2;
}

// Takes `left` as the soonest when it is pending, still ahead and sooner.
void Consider(bool pending, double left, double* soonest, bool* due)
{
    if (!pending || left <= 0.0 || left >= *soonest)
        return;
    *soonest = left;
    *due = true;
}

// Assumes: both channels exist, were just serviced and their hosts told.
// The soonest of what falls due before the next tick: a running looping
// channel's service, an event a registered host is to be told. One due at
// once was just serviced and found nothing it could do yet: the tick tries
// again, where a wake-up would only spin.
bool DueBeforeNextTick(double* seconds)
{
    LONGLONG now = AgentClockNow();
    bool due = false;
    double soonest = kTickPeriodMs / kMsPerSecond;
    for (int index = 0; index < 2; ++index) {
        double left = 0.0;
        bool pending = Channel(index).SecondsToService(&left);
        Consider(pending, left, &soonest, &due);
        pending = agent.notify[index].SecondsToNext(Channel(index), now, &left);
        Consider(pending, left, &soonest, &due);
    }
    *seconds = soonest;
    return due;
}

// Posted on the tick and on the wake-up alike, so an end is told on time;
// never while quitting: the quit's own stops and fade end nothing a host
// asked to hear.
void TellHosts()
{
    if (agent.quitRequested)
        return;
    LONGLONG now = AgentClockNow();
    for (int index = 0; index < 2; ++index)
        agent.notify[index].PostHeard(Channel(index), index + 1, now);
}

// Assumes: the agent window exists. Set afresh or killed on every tick, the
// wake-up's own included, so it fires once for each service or event; an
// agent with nothing due makes no timer calls at all.
void ScheduleWakeUp()
{
    double left = 0.0;
    if (DueBeforeNextTick(&left)) {
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
// own pace whatever the loops and the events do.
void OnTimerTick(UINT_PTR timerId)
{
    DWORD now = CurrentTick();
    agent.channel1->ServiceLoop();
    agent.channel2->ServiceLoop();
    TellHosts();
    ScheduleWakeUp();
    if (timerId == kLoopWakeUpTimerId || !agent.infoWindow || agent.quitRequested)
        return;
    WatchHost(now);
    SetWindowTextA(agent.agentWindow, kWatchingTitle);
}
