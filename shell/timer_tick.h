#pragma once

#include <windows.h>

// The agent window's timers. The tick does the periodic work; the wake-up
// is a one-shot the tick arms when something falls due before the next
// tick: a looping channel's next pass to cue, or an end or a wrap a
// registered host is to be told of (50 ms is too coarse for either).
const UINT_PTR kTickTimerId = 1;
const UINT kTickPeriodMs = 50;
const UINT_PTR kLoopWakeUpTimerId = 2;

// Runs on every timer message: services the looping channels, posts what
// registered hosts are to be told and arms or disarms the wake-up. Except on
// the wake-up, it then watches the host while a host window is registered
// and the agent is not quitting.
void OnTimerTick(UINT_PTR timerId);
