#pragma once

#include <string>

// The full path of `name` in the folder of the running program: the agent,
// the tests' helper programs and the bench programs are built side by side.
std::string SiblingProgram(const char* name);

// The same, in double quotes, as the start of a command line.
std::string QuotedSiblingProgram(const char* name);
