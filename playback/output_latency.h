#pragma once

#include <windows.h>
#include <dshow.h>

// How long after its presentation time on the reference clock a sample is
// heard: what lies between the DirectSound renderer and the sound device.
//
// Windows documents the DirectSound play cursor as the point being played,
// and its renderer writes each sample so that it reaches the cursor at its
// presentation time: there a sample is heard when it is due (0 here).
//
// Wine's cursor is the position its mixer has taken the sound from
// (sec_mixpos in dlls/dsound/buffer.c), and the mixer keeps up to three of
// the sound device's stream latencies mixed ahead in the device's buffer
// (aclen in dlls/dsound/primary.c): there a sample is heard that much after
// it is due. Recorded on the project's null sink (stream latency 20 ms),
// with graphs started 10 to 200 ms ahead: heard 47-68 ms after the start
// time, the same for every lead, and steady through each start; a sound
// device opened a moment before is heard sooner (12-24 ms). The agent asks
// the device the question Wine's DirectSound asks it, once per process.
//
// Unit tests link a settable latency in its place.
REFERENCE_TIME OutputLatency();
