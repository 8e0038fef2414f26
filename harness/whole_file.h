#pragma once

#include <windows.h>

#include <string>

// Whole files read and rewritten as another program would, with Windows'
// own calls, so that the sharing a process holding the file asked for
// applies (a Linux process writing the same file under Wine ignores it).

// False when `path` cannot be read.
bool ReadWholeFile(const std::string& path, std::string* bytes);

// Replaces what `path` (an existing file) holds with `bytes`: opened for
// writing, shared with no one, and truncated first. ERROR_SUCCESS, or the
// error that stopped it (ERROR_SHARING_VIOLATION while another process
// holds the file open).
DWORD RewriteFile(const std::string& path, const std::string& bytes);
