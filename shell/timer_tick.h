#pragma once

// The 50 ms tick: rewinds looping channels, then watches the host while a
// host window is registered and the agent is not quitting.
void OnTimerTick();
