#include "shell/shutdown.h"

#include <windows.h>

#include "common/agent_state.h"
#include "playback/playback_channel.h"
#include "shell/agent_lifetime.h"
#include "shell/agent_window.h"

namespace {

const int kFadeStepPercent = 2;
const DWORD kFadeStepMs = 100;

// No messages are taken during the fade, so no timer tick comes: a looping
// channel is serviced here, when its next pass needs cueing, so that it
// goes on looping while it fades.
void SleepServicingLoop(PlaybackChannel& channel, DWORD ms)
{
    DWORD start = GetTickCount();
    for (DWORD slept = 0; slept < ms; slept = GetTickCount() - start) {
        DWORD nap = ms - slept;
        double due = 0.0;
        if (channel.SecondsToService(&due) && due * 1000.0 < nap)
            nap = due > 0.0 ? static_cast<DWORD>(due * 1000.0) + 1 : 0;
        Sleep(nap);
        channel.ServiceLoop();
    }
}

// The first step repeats the current volume; the last audible one is the
// lowest positive value of the series (2 from 100, 1 from 75). The channel
// is released still playing at that level.
void FadeOut(PlaybackChannel& channel)
{
    for (int volume = channel.GetVolume(); volume > 0; volume -= kFadeStepPercent) {
        channel.SetVolume(volume);
        SleepServicingLoop(channel, kFadeStepMs);
    }
}

}  // namespace

void ShutDown()
{
    agent.channel2->Stop();
    if (agent.channel1->IsPlaying())
        FadeOut(*agent.channel1);
    DestroyAgentWindow();
    ReleaseChannels();
}
