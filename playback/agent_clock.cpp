#include "playback/agent_clock.h"

#include "diag/error_log.h"

namespace {

IReferenceClock* clock = NULL;
int shares = 0;

}  // namespace

void ShareAgentClock()
{
    ++shares;
}

void UnshareAgentClock()
{
    if (--shares > 0 || !clock)
        return;
    clock->Release();
    clock = NULL;
}

IReferenceClock* AgentClock()
{
    if (clock)
        return clock;
    CoCreateInstance(CLSID_SystemClock, NULL, CLSCTX_INPROC_SERVER, IID_IReferenceClock,
                     reinterpret_cast<void**>(&clock));
    if (!clock)
        LogError("Init:pClock", NULL);
    return clock;
}

REFERENCE_TIME AgentClockNow()
{
    REFERENCE_TIME now = 0;
    if (AgentClock())
        clock->GetTime(&now);
    return now;
}
