#pragma once

#include <windows.h>
#include <dshow.h>

// How soon after a graph is run its sound can be heard, at the earliest.
//
// Windows documents that the DirectSound renderer presents a sample at its
// time on the reference clock: a start time is heard as given (0 here).
//
// Under Wine a start is heard some 55-85 ms after the run call, whatever the
// start time asked, when that is sooner: its renderer writes the first
// samples at the buffer's write cursor, 10 ms ahead of the mixer, which
// keeps three of the sound device's stream latencies mixed ahead of what is
// heard (aclen in dlls/dsound/primary.c; 20 ms each on the project's null
// sink). Recorded: heard 72-85 ms after the call on a quiet machine, 55-60
// ms on a busy one, where the sound server's own buffering had shrunk. The
// agent asks the device the question Wine's DirectSound asks it, once per
// process, and counts three of its stream latencies and the mixer's period:
// 70 ms there, in the middle of what was heard.
//
// Unit tests link a settable delay in its place.
REFERENCE_TIME MinimumStartDelay();
