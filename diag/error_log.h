#pragma once

#include <windows.h>

// Appends one line to "quavellog.txt" in the current directory: the tag, a
// failure's code with the system's text for it, and the detail when one is
// given (an empty detail still counts as given). The file is opened and
// closed per line; a log that cannot be opened is skipped silently.
void LogErrorCode(const char* tag, DWORD code, const char* detail);

// The same, for the thread's last-error code.
void LogError(const char* tag, const char* detail);
