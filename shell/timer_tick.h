#pragma once

#include <windows.h>

// The agent window's timers. The tick does the periodic work; the loop
// wake-up is a one-shot the tick arms when a looping channel needs its next
// pass cued before the next tick.
const UINT_PTR kTickTimerId = 1;
const UINT kTickPeriodMs = 50;
const UINT_PTR kLoopWakeUpTimerId = 2;

// Runs on every timer message: services the looping channels and arms or
// disarms the loop wake-up. Except on the wake-up, it then watches the host
// while a host window is registered and the agent is not quitting.
void OnTimerTick(UINT_PTR timerId);
