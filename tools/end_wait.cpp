#include "tools/end_wait.h"

namespace {

const UINT kEndMessage = WM_APP + 1;
// How often the channel is asked whether an end is still coming.
const DWORD kCheckEveryMs = 250;

bool EndedPosted(HWND window, int channel)
{
    MSG message;
    while (PeekMessageA(&message, window, kEndMessage, kEndMessage, PM_REMOVE)) {
        if (QUAVEL_EVENT_OF(message.wParam) == QUAVEL_EVENT_ENDED &&
            QUAVEL_CHANNEL_OF(message.wParam) == channel)
            return true;
    }
    return false;
}

EndWait Failed(QuavelStatus status)
{
    return status == QUAVEL_NO_AGENT ? EndWait::NoAgent : EndWait::TimedOut;
}

// An end told before the window was registered never comes: a channel
// whose position stands still within 0.25 s of its end has been heard out.
// One that holds no file or is stopped ends no more.
bool StillComing(HWND agentWindow, int channel, UINT replyTimeoutMs, int* lastPosition,
                 EndWait* outcome)
{
    int base = channel == 2 ? QUAVEL_SECOND_CHANNEL : 0;
    int state = 0;
    int position = 0;
    QuavelStatus status = QuavelSendCommand(agentWindow, base + HC_GetState, NULL, replyTimeoutMs, &state);
    if (status == QUAVEL_OK)
        status = QuavelSendCommand(agentWindow, base + HC_GetPosition, NULL, replyTimeoutMs, &position);
    if (status != QUAVEL_OK) {
        *outcome = Failed(status);
        return false;
    }
    if (state <= 0) {
        *outcome = EndWait::NotPlaying;
        return false;
    }
    bool standing = state == 1 && position == *lastPosition;
    *lastPosition = position;
    *outcome = EndWait::Ended;
    return !standing;
}

EndWait Wait(HWND agentWindow, HWND window, int channel, DWORD limitMs, UINT replyTimeoutMs)
{
    DWORD start = GetTickCount();
    DWORD nextCheck = 0;
    int lastPosition = -1;
    for (;;) {
        if (EndedPosted(window, channel))
            return EndWait::Ended;
        DWORD elapsed = GetTickCount() - start;
        if (limitMs != INFINITE && elapsed >= limitMs)
            return EndWait::TimedOut;
        EndWait outcome = EndWait::Ended;
        if (elapsed >= nextCheck) {
            if (!StillComing(agentWindow, channel, replyTimeoutMs, &lastPosition, &outcome))
                return outcome;
            nextCheck = elapsed + kCheckEveryMs;
        }
        DWORD nap = nextCheck - elapsed;
        if (limitMs != INFINITE && limitMs - elapsed < nap)
            nap = limitMs - elapsed;
        MsgWaitForMultipleObjects(0, NULL, FALSE, nap, QS_POSTMESSAGE);
    }
}

}  // namespace

EndWait WaitForEnd(HWND agentWindow, int channel, DWORD limitMs, UINT replyTimeoutMs)
{
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    if (!window)
        return EndWait::Refused;
    QuavelStatus status = QuavelNotifyWindow(agentWindow, channel, window, kEndMessage, replyTimeoutMs);
    EndWait outcome = EndWait::Refused;
    if (status == QUAVEL_OK)
        outcome = Wait(agentWindow, window, channel, limitMs, replyTimeoutMs);
    else if (status != QUAVEL_REFUSED)
        outcome = Failed(status);
    if (status == QUAVEL_OK)
        QuavelNotifyWindow(agentWindow, channel, NULL, 0, replyTimeoutMs);
    DestroyWindow(window);
    return outcome;
}
