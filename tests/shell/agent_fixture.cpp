#include "agent_fixture.h"

#include "common/agent_state.h"
#include "fakes/fake_agent.h"
#include "fakes/fake_reference_clock.h"
#include "fakes/fake_tick_clock.h"
#include "shell/agent_lifetime.h"
#include "shell/agent_window.h"

void AgentFixture::SetUp()
{
    SetFakeTick(kStartTick);
    SetFakeClockMs(kStartClockMs);
    agent.instance = GetModuleHandleA(NULL);
    agent.lastHostContact = kStartTick;
    FakeAgentGraphs graphs = ResetAgentOnFakeGraphs();
    graph1 = graphs.first;
    graph2 = graphs.second;
    ASSERT_TRUE(CreateAgentWindow());
}

void AgentFixture::TearDown()
{
    DestroyAgentWindow();
    ReleaseChannels();
}

void AgentFixture::LoadFile(FakeFilterGraph*& graph, PlaybackChannel& channel,
                            double durationSeconds, bool looping, FakeFilterGraph** second)
{
    // A clip of each channel's own: neither takes the graphs the other's kept.
    ASSERT_TRUE(channel.OpenFile(&channel == agent.channel2.get() ? "second.wav" : "clip.wav"));
    graph = LatestGraph();
    graph->duration = durationSeconds;
    if (!looping)
        return;
    channel.SetLoop(true);
    ASSERT_NE(LatestGraph(), graph);
    LatestGraph()->duration = durationSeconds;
    if (second)
        *second = LatestGraph();
}

void AgentFixture::RunAtStart(PlaybackChannel& channel)
{
    SetFakeClockMs(kStartClockMs);
    channel.Run();
}

std::string AgentFixture::AgentTitle()
{
    char title[64] = {};
    GetWindowTextA(agent.agentWindow, title, sizeof title);
    return title;
}
