#pragma once

#include <windows.h>

// Sets up AgentState for a run: the instance handle, a cleared quit flag and
// both channels, each with its filter graph already built.
void StartAgent(HINSTANCE instance);

// Releases the second channel, then the first. Every exit path ends here:
// a process that leaves a graph alive can crash in its own teardown.
void ReleaseChannels();
