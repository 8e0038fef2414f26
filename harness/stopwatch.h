#pragma once

// Microseconds from the performance counter: GetTickCount's 10-16 ms steps
// are far coarser than one message round trip.
class Stopwatch {
public:
    Stopwatch();
    void Restart();
    double ElapsedUs() const;

private:
    long long start_;
};
