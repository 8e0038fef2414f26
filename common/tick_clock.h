#pragma once

#include <windows.h>

// The 32-bit millisecond counter every timing decision reads. Unit tests link
// a settable clock instead, so wrap-around cases can be exercised.
DWORD CurrentTick();

// Signed difference of two counter readings: stays right across the
// counter's wrap every 49.7 days.
inline LONG ElapsedMs(DWORD now, DWORD since)
{
    return static_cast<LONG>(now - since);
}
