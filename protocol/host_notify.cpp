#include "protocol/host_notify.h"

#include "common/protocol_units.h"
#include "playback/pass_events.h"
#include "playback/playback_channel.h"
#include "quavel/protocol.h"

namespace {

// The agent's clock counts whole milliseconds and a window timer may come a
// millisecond short of it: an event due that soon is posted now, where
// waiting would cost the shortest timer the system allows (10 ms).
const LONGLONG kPostEarly = 2 * 10000;

}  // namespace

HostNotify::HostNotify() : window_(NULL), message_(0), toldUpTo_(0)
{
}

bool HostNotify::Register(HWND window, int message, LONGLONG now)
{
    if (message < QUAVEL_NOTIFY_FIRST_MESSAGE || message > QUAVEL_NOTIFY_LAST_MESSAGE ||
        !IsWindow(window))
        return false;
    window_ = window;
    message_ = static_cast<UINT>(message);
    toldUpTo_ = now;
    return true;
}

void HostNotify::Unregister()
{
    window_ = NULL;
    message_ = 0;
}

HWND HostNotify::Window() const
{
    return window_;
}

UINT HostNotify::Message() const
{
    return message_;
}

void HostNotify::PostHeard(PlaybackChannel& channel, int channelNumber, LONGLONG now)
{
    if (!window_)
        return;
    if (!IsWindow(window_)) {
        Unregister();
        return;
    }
    HeardPasses passes;
    channel.ReadHeardPasses(&passes);
    PassEvent events[kMostPassEvents];
    int count = PassEventsBetween(passes, toldUpTo_, now + kPostEarly, events);
    toldUpTo_ = now + kPostEarly;
    for (int index = 0; index < count; ++index) {
        WPARAM what = MAKEWPARAM(events[index].kind, channelNumber);
        PostMessageA(window_, message_, what, SecondsToHundredths(events[index].position));
    }
}

bool HostNotify::SecondsToNext(PlaybackChannel& channel, LONGLONG now, double* seconds)
{
    if (!window_)
        return false;
    HeardPasses passes;
    channel.ReadHeardPasses(&passes);
    LONGLONG at = 0;
    if (!NextPassEvent(passes, toldUpTo_, &at))
        return false;
    *seconds = ReferenceToSeconds(at - kPostEarly - now);
    return true;
}
