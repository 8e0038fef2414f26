#pragma once

#include <windows.h>
#include <dshow.h>

// How soon after a graph is run its sound can be heard, at the earliest.
//
// Windows documents that the DirectSound renderer presents a sample at its
// time on the reference clock: a start time is heard as given (0 here).
//
// Under Wine a start is heard about 80 ms after the run call, whatever the
// start time asked, when that is sooner (measured on the null sink: run 20,
// 30, 40, 50 ms ahead, heard 72, 69-76, 68-74, 79-81 ms after the call). Its
// DirectSound keeps three of the sound device's stream latencies mixed ahead
// of what is heard (aclen in dlls/dsound/primary.c), and its renderer and
// mixer add about one more: the agent asks the device the question Wine's
// DirectSound asks it, once per process, and counts four.
//
// Unit tests link a settable delay in its place.
REFERENCE_TIME MinimumStartDelay();
