#include "fakes/fake_tick_clock.h"

#include "common/tick_clock.h"

namespace {
DWORD fakeTick = 0;
}

void SetFakeTick(DWORD tick)
{
    fakeTick = tick;
}

DWORD CurrentTick()
{
    return fakeTick;
}
