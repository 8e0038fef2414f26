#pragma once

#include <windows.h>

// The agent's one window: hidden, found by its class name, and the target of
// every host message. Its 50 ms timer drives the periodic work.

// Registers the class and creates the window with its timer; false when no
// window could be made.
bool CreateAgentWindow();

void DestroyAgentWindow();

// Another agent's window exists: the single-instance test.
bool IsAgentRunning();

LRESULT CALLBACK AgentWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
