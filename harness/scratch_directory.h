#pragma once

#include <string>

// Makes a fresh directory under the temporary folder and makes it current,
// so the agent's relative log file lands where the test can read it.
// Returns its path (with a trailing backslash).
std::string EnterScratchDirectory(const char* name);
