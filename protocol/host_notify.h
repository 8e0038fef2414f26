#pragma once

#include <windows.h>

class PlaybackChannel;

// The host window told of one channel's ends and wraps (HC_NotifyWindow),
// and how far it has been told. Messages are posted, never sent: the agent
// never waits on a host, and a host that is busy or hung only reads them
// later. Times are reference times on the agent's clock.
class HostNotify {
public:
    HostNotify();

    // Replaces the registration. False, with nothing changed, when `window`
    // is not a window or `message` lies outside QUAVEL_NOTIFY_FIRST_MESSAGE
    // to QUAVEL_NOTIFY_LAST_MESSAGE. What was heard by `now` is never told.
    bool Register(HWND window, int message, LONGLONG now);
    void Unregister();
    // NULL when none is registered.
    HWND Window() const;
    UINT Message() const;

    // Posts what `channel` (number 1 or 2) was heard to do since the last
    // call, up to `now`. A registered window that has gone is dropped.
    void PostHeard(PlaybackChannel& channel, int channelNumber, LONGLONG now);
    // Seconds from `now` until the next event is due to be posted; false
    // when no window is registered or nothing is coming.
    bool SecondsToNext(PlaybackChannel& channel, LONGLONG now, double* seconds);

private:
    HWND window_;
    UINT message_;
    LONGLONG toldUpTo_;
};
