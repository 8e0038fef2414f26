#pragma once

#include <windows.h>

// A path of up to 259 bytes plus its terminator: the capacity of both the
// narrow path buffer and the widened copy handed to the graph.
const int kPathCapacity = 260;

// Widens byte by byte, zero-extended (no code page: 0xE9 becomes U+00E9), and
// terminates. On purpose: hosts pass Latin-1 paths and have always had them
// opened so, whatever the system's code page. `path` must hold fewer than kPathCapacity bytes. Returns the
// units written, terminator included.
int WidenPath(const char* path, WCHAR* wide);
