#pragma once

#include <windows.h>

#include "quavel/host.h"

// How `quavelctl wait-end` came back.
enum class EndWait {
    Ended,       // the channel's clip was heard to its end (or already had been)
    NotPlaying,  // the channel holds no file or is stopped: no end is coming
    NoAgent,     // no agent, or it went while waiting
    TimedOut,    // the limit ran out first, or the agent did not answer in time
    Refused      // the agent refused to tell this process's window
};

// Registers a message-only window of this process for `channel`'s events
// and waits until the agent tells it that the clip has been heard to its
// end, at most `limitMs` (INFINITE: no limit); unregisters it again before
// returning. Each question to the agent waits at most `replyTimeoutMs`.
EndWait WaitForEnd(HWND agentWindow, int channel, DWORD limitMs, UINT replyTimeoutMs);
