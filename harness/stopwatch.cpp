#include "harness/stopwatch.h"

#include <windows.h>

namespace {

long long CounterNow()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double CounterTicksPerUs()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1e6;
}

}  // namespace

Stopwatch::Stopwatch() : start_(CounterNow()) {}

void Stopwatch::Restart()
{
    start_ = CounterNow();
}

double Stopwatch::ElapsedUs() const
{
    static const double ticksPerUs = CounterTicksPerUs();
    return static_cast<double>(CounterNow() - start_) / ticksPerUs;
}
