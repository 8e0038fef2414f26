#pragma once

#include <windows.h>

#include <string>

// A message box of process `processId` captioned `caption`, or NULL after
// `timeoutMs`.
HWND WaitForMessageBox(DWORD processId, const char* caption, DWORD timeoutMs);

// The text the box shows.
std::string MessageBoxText(HWND box);

// As if the user pressed OK.
void CloseMessageBox(HWND box);
