#pragma once

#include <windows.h>

// Unit tests link this clock in place of the real tick counter.
void SetFakeTick(DWORD tick);
