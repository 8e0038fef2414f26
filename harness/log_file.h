#pragma once

#include <string>

// The agent's log in the current directory: read whole (bytes as written,
// CR LF included) and removed, so each test sees only its own lines.
std::string TakeLog();
