#include "shell/agent_lifetime.h"

#include "common/agent_state.h"
#include "playback/playback_channel.h"

void StartAgent(HINSTANCE instance)
{
    agent.instance = instance;
    agent.quitRequested = false;
    agent.channel1.reset(new PlaybackChannel());
    agent.channel2.reset(new PlaybackChannel());
}

void ReleaseChannels()
{
    agent.channel2.reset();
    agent.channel1.reset();
}
