#include "agent_fixture.h"

#include "common/agent_state.h"
#include "fakes/fake_tick_clock.h"
#include "shell/agent_lifetime.h"
#include "shell/agent_window.h"

void AgentFixture::SetUp()
{
    NextGraphs() = FakeGraphScript();
    SetFakeTick(kStartTick);
    agent.instance = GetModuleHandleA(NULL);
    agent.quitRequested = false;
    agent.infoWindow = NULL;
    agent.lastHostContact = kStartTick;
    // Made one at a time so each fake graph can be told apart.
    agent.channel1.reset(new PlaybackChannel());
    graph1 = LatestGraph();
    agent.channel2.reset(new PlaybackChannel());
    graph2 = LatestGraph();
    ASSERT_TRUE(CreateAgentWindow());
}

void AgentFixture::TearDown()
{
    DestroyAgentWindow();
    ReleaseChannels();
}

void AgentFixture::LoadFile(FakeFilterGraph*& graph, PlaybackChannel& channel,
                            double durationSeconds, OAFilterState state)
{
    ASSERT_TRUE(channel.OpenFile("clip.wav"));
    graph = LatestGraph();
    graph->duration = durationSeconds;
    graph->state = state;
}

std::string AgentFixture::AgentTitle()
{
    char title[64] = {};
    GetWindowTextA(agent.agentWindow, title, sizeof title);
    return title;
}
