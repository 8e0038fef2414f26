#include <windows.h>

#include <gtest/gtest.h>

#include "agent_fixture.h"
#include "common/agent_state.h"
#include "fakes/fake_reference_clock.h"
#include "playback/playback_channel.h"
#include "playback/volume_curve.h"
#include "shell/agent_window.h"
#include "shell/shutdown.h"

// The fake graphs the files were loaded into are held past the channels'
// release to read what shutdown left in them (the ones the channels were
// built with are gone by then, replaced by the open).
class Shutdown : public AgentFixture {
protected:
    void SetUp() override
    {
        AgentFixture::SetUp();
        LoadFile(graph1, *agent.channel1, 60.0);
        LoadFile(graph2, *agent.channel2, 60.0);
        graph1->AddRef();
        graph2->AddRef();
        RunAtStart(*agent.channel1);
        RunAtStart(*agent.channel2);
        SetFakeClockMs(kStartClockMs + kLeadMs + 1000);
        graph1->calls.clear();
        graph2->calls.clear();
    }
    void TearDown() override
    {
        graph1->Release();
        graph2->Release();
        AgentFixture::TearDown();
    }
};

TEST_F(Shutdown, StopsChannelTwoFadesPlayingChannelOneAndReleasesAll)
{
    agent.channel1->SetVolume(9);
    DWORD start = GetTickCount();
    ShutDown();
    DWORD took = GetTickCount() - start;

    EXPECT_EQ(graph2->calls, std::vector<std::string>{"Stop"});
    EXPECT_EQ(graph1->calls, std::vector<std::string>{}) << "channel 1 is released playing, not stopped";
    EXPECT_EQ(graph1->volume, PercentToAttenuation(1)) << "9, 7, 5, 3, 1";
    EXPECT_GE(took, 450u) << "five steps of 100 ms";
    EXPECT_FALSE(IsAgentRunning());
    EXPECT_EQ(agent.agentWindow, (HWND)NULL);
    EXPECT_EQ(agent.channel1, nullptr);
    EXPECT_EQ(agent.channel2, nullptr);
    EXPECT_EQ(LiveGraphs(), 2) << "only the test's own references remain";
}

TEST_F(Shutdown, StoppedChannelOneIsNotFaded)
{
    agent.channel1->SetVolume(100);
    agent.channel1->Stop();
    ShutDown();
    EXPECT_EQ(graph1->volume, 0);
}

TEST_F(Shutdown, ChannelOneNearItsEndIsNotFaded)
{
    agent.channel1->SetVolume(100);
    SetFakeClockMs(kStartClockMs + kLeadMs + 60000 - 250);
    DWORD start = GetTickCount();
    ShutDown();
    EXPECT_EQ(graph1->volume, 0);
    EXPECT_LT(GetTickCount() - start, 100u);
}
