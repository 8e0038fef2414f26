#pragma once

// Appends one line to "quavellog.txt" in the current directory: the tag, the
// thread's last-error code with the system's text for it, and the detail when
// one is given (an empty detail still counts as given). The file is opened
// and closed per line; a log that cannot be opened is skipped silently.
void LogError(const char* tag, const char* detail);
