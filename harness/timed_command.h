#pragma once

#include <windows.h>

#include "quavel/host.h"

// One command sent the way any host sends it (through the host header),
// with its round trip timed.
struct TimedReply {
    QuavelStatus status;
    int reply;
    double roundTripUs;
};

TimedReply SendTimed(HWND window, int code, const char* argument);

// Counts what went wrong over many commands: a lost reply is a send that
// failed, a wrong one arrived with a value the caller did not expect.
struct ReplyTally {
    ReplyTally() : lost(0), wrong(0) {}
    // True when the reply arrived and lies in [lowest, highest].
    bool Check(const TimedReply& reply, int lowest, int highest);

    int lost;
    int wrong;
};
