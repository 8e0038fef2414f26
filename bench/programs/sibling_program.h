#pragma once

#include <string>

// The full path of `name` in the folder of the running program: the bench
// programs and the agent are built side by side.
std::string SiblingProgram(const char* name);
