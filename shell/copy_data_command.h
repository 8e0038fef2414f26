#pragma once

#include <windows.h>

// Hands one host command, as a copy-data message carries it, to the
// dispatcher and returns its reply. The text is taken only from the bytes the
// message carries: it ends at the first NUL or at the byte count; a null
// pointer or a zero count is an empty text. No payload at all replies 0.
LRESULT RunCopyDataCommand(const COPYDATASTRUCT* payload);

// The bounded copy behind it: at most `capacity - 1` bytes, always
// NUL-terminated. Longer texts are cut; no valid argument comes near the
// capacity used, and a cut path is still too long to be opened.
void CopyDataText(const COPYDATASTRUCT& payload, char* text, size_t capacity);
