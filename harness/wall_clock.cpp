#include "harness/wall_clock.h"

#include <windows.h>

namespace {

// FILETIME counts 100 ns from 1601; the Unix epoch is this many seconds later.
const double kEpochGapSeconds = 11644473600.0;
const double kUnitsPerSecond = 10000000.0;

}  // namespace

double WallClockSeconds()
{
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    ULARGE_INTEGER units;
    units.LowPart = now.dwLowDateTime;
    units.HighPart = now.dwHighDateTime;
    return static_cast<double>(units.QuadPart) / kUnitsPerSecond - kEpochGapSeconds;
}
