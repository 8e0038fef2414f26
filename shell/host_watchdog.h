#pragma once

#include <windows.h>

// Once a host has registered a window, it must send a command or a ping at
// least every second. When it falls silent for longer, the watchdog opens
// the process that owns the registered window and disarms itself until the
// host registers again. Assumes a window is registered.
void WatchHost(DWORD now);
