#pragma once

#include <string>

// `name` made absolute against the current directory: what a test hands to
// an agent or a helper program that may run elsewhere.
std::string FullPath(const std::string& name);
