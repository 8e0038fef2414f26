#pragma once

#include <windows.h>

#include <string>

// The title of `window` (another process's included), as the tests read the
// agent's "Quavel" / "." title.
std::string TitleOf(HWND window);
