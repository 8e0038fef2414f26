#pragma once

#include <windows.h>

#include <memory>

#include "protocol/host_notify.h"

// Defined with the playback channels; only the files that drive a channel
// need DirectShow's headers.
class PlaybackChannel;

// The one process-wide record. Written by the entry, the window procedure,
// the timer tick and the command dispatcher, all on the agent's one thread.
struct AgentState {
    HINSTANCE instance = NULL;
    HWND agentWindow = NULL;
    bool quitRequested = false;
    DWORD lastHostContact = 0;       // tick of the last command or ping
    HWND infoWindow = NULL;          // host window the watchdog watches; NULL = disarmed
    bool loopWakeUpArmed = false;    // the agent window's wake-up timer is set
    HostNotify notify[2];            // host windows told of each channel's ends and wraps
    std::unique_ptr<PlaybackChannel> channel1;
    std::unique_ptr<PlaybackChannel> channel2;
};

extern AgentState agent;
