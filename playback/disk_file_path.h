#pragma once

#include <windows.h>

// True when `path` opens as a disk file: the only thing the channel hands to
// a graph. Otherwise false, with the last error saying why: the open's own
// error when nothing by that name opens, ERROR_ACCESS_DENIED for a folder,
// ERROR_NOT_SUPPORTED for a device such as NUL, AUX or COM1 (under any
// folder, with any extension) or a pipe.
// A graph told to read a device may wait for input forever. One asked for a
// missing file or a folder fails, but on Wine it leaves a thread behind each
// time, and a 32-bit agent runs out of address space after a few hundred.
bool NamesDiskFile(const WCHAR* path);
