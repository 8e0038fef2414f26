#include "common/tick_clock.h"

DWORD CurrentTick()
{
    return GetTickCount();
}
