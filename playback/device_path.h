#pragma once

#include <windows.h>

// True when `path` opens as something other than a disk file or folder: a
// device such as NUL, AUX or COM1 (under any folder, with any extension) or a
// pipe. A graph told to read one may wait for input forever, so the channel
// never hands such a path to it. A path that does not open at all is left to
// the graph, which reports it in its own way.
bool IsDevicePath(const WCHAR* path);
