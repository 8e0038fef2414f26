#include "fakes/fake_agent.h"

#include "common/agent_state.h"
#include "playback/playback_channel.h"

FakeAgentGraphs ResetAgentOnFakeGraphs()
{
    NextGraphs() = FakeGraphScript();
    agent.quitRequested = false;
    agent.infoWindow = NULL;
    for (HostNotify& notify : agent.notify)
        notify.Unregister();
    FakeAgentGraphs graphs;
    agent.channel1.reset(new PlaybackChannel());
    graphs.first = LatestGraph();
    agent.channel2.reset(new PlaybackChannel());
    graphs.second = LatestGraph();
    return graphs;
}
