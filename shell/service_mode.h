#pragma once

// Serves host commands through the agent window until told to quit, then
// shuts down with the fade-out. Returns at once when another agent is
// already serving or no window can be made.
void RunServiceMode();
