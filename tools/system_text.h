#pragma once

#include <windows.h>

#include <cstddef>

// The system's text for a Win32 error or an HRESULT, on one line, into
// `text` of `size` bytes (at least 4); "???" when the system has none, as
// the agent's log says it.
void SystemText(DWORD code, char* text, size_t size);
