#include "protocol/command_dispatcher.h"

#include "common/agent_state.h"
#include "playback/agent_clock.h"
#include "playback/playback_channel.h"
#include "common/protocol_units.h"
#include "protocol/decimal_argument.h"
#include "quavel/protocol.h"

namespace {

const int kCommandBits = 0x1F;

// Like scanf("%d") into a reply that starts at 0: no number leaves 0.
int NumberOrZero(const char* text)
{
    int number = 0;
    ReadDecimal(text, &number);
    return number;
}

HWND WindowFromNumber(int number)
{
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(number));
}

// "HWND MSG" registers, "0" unregisters; anything else changes nothing.
bool NotifyWindowCommand(HostNotify& notify, const char* text)
{
    int window = 0;
    int message = 0;
    const char* rest = text;
    if (!ReadDecimal(text, &window, &rest))
        return false;
    if (window == 0) {
        notify.Unregister();
        return true;
    }
    return ReadDecimal(rest, &message) &&
           notify.Register(WindowFromNumber(window), message, AgentClockNow());
}

}  // namespace

int HandleCommand(int code, const char* argument)
{
    const char* text = argument ? argument : "";
    int channelIndex = 0;
    // Past the first channel's codes only the low five bits choose the
    // command, so 64 and above wrap round (65 is HC_OpenFile on the second
    // channel): hosts have always been answered so, and it stays. Codes 21-31
    // land on none of the second channel's commands and reply 0.
    if (code > QUAVEL_LAST_COMMAND) {
        channelIndex = 1;
        code &= kCommandBits;
    }
    PlaybackChannel* channel = channelIndex == 0 ? agent.channel1.get() : agent.channel2.get();

    int number = 0;
    switch (code) {
    case HC_Quit:
        agent.quitRequested = true;
        return 1;
    case HC_OpenFile:
        return channel->OpenFile(text) ? 1 : 0;
    case HC_Close:
        channel->Close();
        return 1;
    case HC_Stop:
        channel->Stop();
        return 1;
    case HC_Reset:
        channel->Rewind();
        return 1;
    case HC_Run:
        channel->Run();
        return 0;
    case HC_IsPlaying:
        return channel->IsPlaying() ? 1 : 0;
    case HC_IsPausedOrDone:
        return channel->IsPausedOrDone() ? 1 : 0;
    case HC_IsStopped:
        return channel->IsStopped() ? 1 : 0;
    case HC_GetState:
        return channel->GetState();
    case HC_GetPosition:
        return SecondsToHundredths(channel->GetPosition());
    case HC_SetPosition:
        number = NumberOrZero(text);
        channel->SetPosition(HundredthsToSeconds(number));
        return number;
    case HC_SetStopTime:
        number = NumberOrZero(text);
        channel->SetStopTime(HundredthsToSeconds(number));
        return number;
    case HC_GetDuration:
        return SecondsToHundredths(channel->GetDuration());
    case HC_GetVolume:
        return channel->GetVolume();
    case HC_SetVolume:
        number = NumberOrZero(text);
        channel->SetVolume(number);
        return number;
    case HC_GetLoop:
        return channel->GetLoop() ? 1 : 0;
    case HC_SetLoop:
        number = NumberOrZero(text);
        channel->SetLoop(number != 0);
        return number;
    case HC_InfoWindow:
        if (ReadDecimal(text, &number))
            agent.infoWindow = WindowFromNumber(number);
        return 1;
    case HC_NotifyWindow:
        return NotifyWindowCommand(agent.notify[channelIndex], text) ? 1 : 0;
    case HC_GetLastError:
        return static_cast<int>(channel->LastOpenError());
    default:
        return 0;
    }
}
