#pragma once

#include <windows.h>

#include "quavel/host.h"

// One channel as the agent's queries describe it: what `quavelctl status`
// shows.
struct ChannelStatus {
    int channel = 1;    // 1 or 2
    int state = -1;     // HC_GetState: -1 no file, 0 stopped, 1 paused or finished, 2 playing
    int position = 0;   // hundredths of a second
    int duration = 0;   // hundredths of a second
    int volume = 0;     // percent
    int loop = 0;       // non-zero: looping
};

// Fills in `status` for `status->channel`, one query after another, all of
// them before the tick count `deadline`.
QuavelStatus AskChannelStatus(HWND agentWindow, DWORD deadline, ChannelStatus* status);

// The word for an HC_GetState reply.
const char* StateWord(int state);

// One line per channel.
void PrintStatusText(const ChannelStatus* statuses, int count);
// One JSON object on one line, a member "channel1" or "channel2" per channel.
void PrintStatusJson(const ChannelStatus* statuses, int count);
