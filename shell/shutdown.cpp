#include "shell/shutdown.h"

#include <windows.h>

#include "common/agent_state.h"
#include "shell/agent_lifetime.h"
#include "shell/agent_window.h"

namespace {

const int kFadeStepPercent = 2;
const DWORD kFadeStepMs = 100;

// The first step repeats the current volume; the last audible one is the
// lowest positive value of the series (2 from 100, 1 from 75). The channel
// is released still playing at that level.
void FadeOut(PlaybackChannel& channel)
{
    for (int volume = channel.GetVolume(); volume > 0; volume -= kFadeStepPercent) {
        channel.SetVolume(volume);
        Sleep(kFadeStepMs);
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
