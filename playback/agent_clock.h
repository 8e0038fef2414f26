#pragma once

#include <windows.h>
#include <dshow.h>

// The one reference clock every graph of the agent runs on: the system
// clock, owned by the agent rather than taken from a renderer, since graphs
// come and go while the schedule they keep spans them (a loop's next pass
// starts in one graph at the time the last ends in another). Scheduled
// starts and positions are all read from it.
//
// Each channel holds a share of it while it lives, taken after its
// CoInitialize and given back before its CoUninitialize: the clock is made
// on first use and released with the last share, so it never outlives the
// component runtime.
void ShareAgentClock();
void UnshareAgentClock();

// The clock (no reference added for the caller), made on first use; NULL,
// logged as "Init:pClock", when it cannot be made.
IReferenceClock* AgentClock();

// Its time now; 0 without a clock.
REFERENCE_TIME AgentClockNow();
