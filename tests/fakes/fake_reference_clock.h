#pragma once

#include <windows.h>
#include <dshow.h>

// A reference clock that stands still until a test moves it, registered as
// the system clock's class object so the agent's own clock is this one.
// Needs CoInitialize first.
void InstallFakeReferenceClock();

// Its time, in milliseconds.
void SetFakeClockMs(LONGLONG ms);
LONGLONG FakeClockMs();

// What the output latency reads in unit tests, in milliseconds (0 unless
// set).
void SetFakeOutputLatencyMs(LONGLONG ms);
