#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "common/agent_state.h"
#include "playback/playback_channel.h"
#include "fakes/fake_agent.h"
#include "fakes/fake_reference_clock.h"
#include "fakes/fake_filter_graph.h"
#include "fakes/fake_tick_clock.h"
#include "harness/log_file.h"
#include "protocol/command_dispatcher.h"
#include "quavel/protocol.h"

namespace {

class CommandDispatcherTest : public testing::Test {
protected:
    void SetUp() override
    {
        FakeAgentGraphs graphs = ResetAgentOnFakeGraphs();
        graph1 = graphs.first;
        graph2 = graphs.second;
        TakeLog();
    }

    void TearDown() override
    {
        agent.channel2.reset();
        agent.channel1.reset();
        SetFakeTick(0);
    }

    // Loads a twenty-second clip, playing at 1.234 s, at 50 percent; the
    // graph's calls so far are forgotten. Each channel has a clip of its
    // own, so that neither takes the graph the other's kept.
    void LoadPlaying(int channelBase, FakeFilterGraph*& graph)
    {
        ASSERT_EQ(HandleCommand(channelBase + HC_OpenFile, channelBase ? "second.wav" : "clip.wav"), 1);
        graph = LatestGraph();
        graph->duration = 20.0;
        graph->volume = -1592;
        SetFakeClockMs(1000);
        HandleCommand(channelBase + HC_Run, NULL);
        SetFakeClockMs(graph->startsMs.back() + 1234);
        graph->calls.clear();
    }

    FakeFilterGraph* graph1 = nullptr;
    FakeFilterGraph* graph2 = nullptr;
};

TEST_F(CommandDispatcherTest, CodeSelectsTheChannel)
{
    EXPECT_EQ(HandleCommand(HC_OpenFile, "one.wav"), 1);
    EXPECT_EQ(LatestGraph()->renderedPath, L"one.wav");
    EXPECT_EQ(HandleCommand(QUAVEL_SECOND_CHANNEL + HC_OpenFile, "two.wav"), 1);
    EXPECT_EQ(LatestGraph()->renderedPath, L"two.wav");
    EXPECT_EQ(agent.channel1->GetState(), 0) << "channel 1 keeps its own file";

    EXPECT_EQ(HandleCommand(65, "wrapped.wav"), 1) << "65 is command 1 on the second channel";
    EXPECT_EQ(LatestGraph()->renderedPath, L"wrapped.wav");
    EXPECT_EQ(LiveGraphs(), 3) << "one for each channel, and two.wav's kept";

    EXPECT_EQ(HandleCommand(QUAVEL_SECOND_CHANNEL + HC_SetLoop, "1"), 1);
    EXPECT_FALSE(agent.channel1->GetLoop());
    EXPECT_TRUE(agent.channel2->GetLoop());
}

TEST_F(CommandDispatcherTest, CodesOutsideTheTableReplyZeroAndChangeNothing)
{
    LoadPlaying(0, graph1);
    LoadPlaying(QUAVEL_SECOND_CHANNEL, graph2);
    for (int code : {21, 31, 53, 63, 64 + 21, -1, -32, INT_MIN, INT_MAX}) {
        EXPECT_EQ(HandleCommand(code, "7"), 0) << code;
    }
    for (FakeFilterGraph* graph : {graph1, graph2}) {
        EXPECT_TRUE(graph->calls.empty());
        EXPECT_EQ(graph->volume, -1592);
        EXPECT_EQ(graph->stopTime, 0.0);
    }
    EXPECT_FALSE(agent.channel1->GetLoop());
    EXPECT_FALSE(agent.channel2->GetLoop());
    EXPECT_FALSE(agent.quitRequested);
    EXPECT_EQ(agent.infoWindow, static_cast<HWND>(NULL));
}

TEST_F(CommandDispatcherTest, EachCommandRepliesAsTheTableSaysOnBothChannels)
{
    for (int base : {0, QUAVEL_SECOND_CHANNEL}) {
        FakeFilterGraph*& graph = base == 0 ? graph1 : graph2;
        SCOPED_TRACE(testing::Message() << "channel base " << base);
        LoadPlaying(base, graph);

        EXPECT_EQ(HandleCommand(base + HC_IsPlaying, NULL), 1);
        EXPECT_EQ(HandleCommand(base + HC_IsPausedOrDone, NULL), 0);
        EXPECT_EQ(HandleCommand(base + HC_IsStopped, NULL), 0);
        EXPECT_EQ(HandleCommand(base + HC_GetState, NULL), 2);
        EXPECT_EQ(HandleCommand(base + HC_GetPosition, NULL), 123);
        EXPECT_EQ(HandleCommand(base + HC_GetDuration, NULL), 2000);
        EXPECT_EQ(HandleCommand(base + HC_GetVolume, NULL), 50);

        EXPECT_EQ(HandleCommand(base + HC_SetPosition, "1234"), 1234);
        EXPECT_EQ(graph->position, 12.34);
        SetFakeClockMs(graph->startsMs.back() + 9);
        EXPECT_EQ(HandleCommand(base + HC_GetPosition, NULL), 1234) << "12.349 s";
        EXPECT_EQ(HandleCommand(base + HC_SetStopTime, " 150 s"), 150);
        EXPECT_EQ(graph->stopTime, 1.5);
        EXPECT_EQ(HandleCommand(base + HC_Reset, NULL), 1);
        EXPECT_EQ(graph->position, 0.0);

        EXPECT_EQ(HandleCommand(base + HC_SetVolume, "75"), 75);
        EXPECT_EQ(graph->volume, -694);
        EXPECT_EQ(HandleCommand(base + HC_SetVolume, "loud"), 0) << "no number: volume 0";
        EXPECT_EQ(graph->volume, -10000);

        EXPECT_EQ(HandleCommand(base + HC_GetLoop, NULL), 0);
        EXPECT_EQ(HandleCommand(base + HC_SetLoop, "2"), 2);
        EXPECT_EQ(HandleCommand(base + HC_GetLoop, NULL), 1);

        EXPECT_EQ(HandleCommand(base + HC_Stop, NULL), 1);
        EXPECT_EQ(graph->state, State_Stopped);
        EXPECT_EQ(HandleCommand(base + HC_Run, NULL), 0) << "Run replies 0 even when it started";
        EXPECT_EQ(graph->state, State_Running);

        EXPECT_EQ(HandleCommand(base + HC_Close, NULL), 1);
        EXPECT_EQ(HandleCommand(base + HC_GetState, NULL), -1);
    }
    EXPECT_EQ(LiveGraphs(), AgentKeptGraphs().Count()) << "the channels hold none";
}

TEST_F(CommandDispatcherTest, ChannelWithoutAFileRepliesWithNoFileValues)
{
    EXPECT_EQ(HandleCommand(HC_GetState, NULL), -1);
    EXPECT_EQ(HandleCommand(HC_IsPlaying, NULL), 0);
    EXPECT_EQ(HandleCommand(HC_IsPausedOrDone, NULL), 0);
    EXPECT_EQ(HandleCommand(HC_IsStopped, NULL), 0);
    EXPECT_EQ(HandleCommand(HC_GetPosition, NULL), 0);
    EXPECT_EQ(HandleCommand(HC_GetDuration, NULL), 0);
    EXPECT_EQ(HandleCommand(HC_GetVolume, NULL), 0);
    EXPECT_EQ(HandleCommand(HC_SetVolume, "abc"), 0);
    EXPECT_EQ(graph1->volume, 0) << "no file: the graph is left alone";
}

TEST_F(CommandDispatcherTest, FailedOpenRepliesZeroAndLogs)
{
    agent.channel1->Close();
    NextGraphs().renderResult = E_FAIL;
    EXPECT_EQ(HandleCommand(HC_OpenFile, "missing.wav"), 0);
    EXPECT_NE(TakeLog().find("MCBS "), std::string::npos);

    NextGraphs().failCreate = true;
    agent.channel1->Close();
    EXPECT_EQ(HandleCommand(HC_OpenFile, "missing.wav"), 0);
    EXPECT_EQ(TakeLog().rfind("Init:pGraph (0x", 0), 0u);
}

TEST_F(CommandDispatcherTest, QuitAndInfoWindowActOnTheAgentFromEitherChannel)
{
    EXPECT_EQ(HandleCommand(QUAVEL_SECOND_CHANNEL + HC_InfoWindow, "123456"), 1);
    EXPECT_EQ(agent.infoWindow, reinterpret_cast<HWND>(123456));
    EXPECT_EQ(HandleCommand(HC_InfoWindow, "no number"), 1);
    EXPECT_EQ(agent.infoWindow, reinterpret_cast<HWND>(123456)) << "unchanged without a number";
    EXPECT_EQ(HandleCommand(HC_InfoWindow, "0"), 1);
    EXPECT_EQ(agent.infoWindow, static_cast<HWND>(NULL));

    EXPECT_EQ(HandleCommand(QUAVEL_SECOND_CHANNEL + HC_Quit, NULL), 1);
    EXPECT_TRUE(agent.quitRequested);
}

// "HWND MSG" registers a window of the host for the channel the code
// addresses (19, 51, and 83 by the wrap); anything that is not a window and
// a message number from WM_USER up changes nothing; "0" unregisters.
TEST_F(CommandDispatcherTest, NotifyWindowTakesAWindowAndAMessageNumberOrZero)
{
    HWND host = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    ASSERT_NE(host, static_cast<HWND>(NULL));
    std::string number = std::to_string(static_cast<int>(reinterpret_cast<LONG_PTR>(host)));
    const HostNotify& first = agent.notify[0];
    const HostNotify& second = agent.notify[1];

    EXPECT_EQ(HandleCommand(HC_NotifyWindow, (number + " 1024").c_str()), 1);
    EXPECT_EQ(first.Window(), host);
    EXPECT_EQ(first.Message(), 1024u);
    EXPECT_EQ(second.Window(), static_cast<HWND>(NULL)) << "one registration per channel";

    const std::string refused[] = {number + " 1023", number + " 65536", number + " -1", number,
                                   number + " x", "1 1024", "x", "", " "};
    for (const std::string& text : refused) {
        EXPECT_EQ(HandleCommand(HC_NotifyWindow, text.c_str()), 0) << "'" << text << "'";
        EXPECT_EQ(first.Window(), host) << "'" << text << "'";
        EXPECT_EQ(first.Message(), 1024u) << "'" << text << "'";
    }
    EXPECT_EQ(HandleCommand(HC_NotifyWindow, NULL), 0);

    EXPECT_EQ(HandleCommand(QUAVEL_SECOND_CHANNEL + HC_NotifyWindow, (number + " 65535").c_str()), 1);
    EXPECT_EQ(second.Message(), 65535u);
    EXPECT_EQ(HandleCommand(64 + HC_NotifyWindow, (" " + number + "\t2000").c_str()), 1);
    EXPECT_EQ(second.Message(), 2000u) << "a new registration replaces the old";
    EXPECT_EQ(first.Message(), 1024u);

    EXPECT_EQ(HandleCommand(HC_NotifyWindow, "0"), 1);
    EXPECT_EQ(first.Window(), static_cast<HWND>(NULL));
    EXPECT_EQ(second.Window(), host);
    EXPECT_EQ(agent.infoWindow, static_cast<HWND>(NULL)) << "the watchdog stays disarmed";
    DestroyWindow(host);
}

TEST_F(CommandDispatcherTest, GetLastErrorTellsWhyEachChannelsLastOpenFailed)
{
    EXPECT_EQ(HandleCommand(HC_GetLastError, NULL), 0) << "before any open";
    EXPECT_EQ(HandleCommand(HC_OpenFile, "missing.wav"), 0);
    EXPECT_EQ(HandleCommand(HC_GetLastError, NULL), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(HandleCommand(QUAVEL_SECOND_CHANNEL + HC_GetLastError, NULL), 0);

    NextGraphs().renderResult = VFW_E_UNSUPPORTED_STREAM;
    EXPECT_EQ(HandleCommand(QUAVEL_SECOND_CHANNEL + HC_OpenFile, "clip.wav"), 0);
    EXPECT_EQ(HandleCommand(QUAVEL_SECOND_CHANNEL + HC_GetLastError, NULL),
              static_cast<int>(VFW_E_UNSUPPORTED_STREAM)) << "the render's HRESULT, negative";
    NextGraphs() = FakeGraphScript();
    EXPECT_EQ(HandleCommand(HC_OpenFile, "dir"), 0);
    EXPECT_EQ(HandleCommand(HC_GetLastError, NULL), ERROR_ACCESS_DENIED);
    EXPECT_EQ(HandleCommand(HC_OpenFile, "clip.wav"), 1);
    EXPECT_EQ(HandleCommand(HC_GetLastError, NULL), 0) << "after a good open";
    EXPECT_EQ(HandleCommand(QUAVEL_SECOND_CHANNEL + HC_GetLastError, NULL),
              static_cast<int>(VFW_E_UNSUPPORTED_STREAM)) << "each channel its own";
}

TEST_F(CommandDispatcherTest, AbsentArgumentReadsAsEmptyText)
{
    LoadPlaying(0, graph1);
    EXPECT_EQ(HandleCommand(HC_SetVolume, NULL), 0);
    EXPECT_EQ(graph1->volume, -10000);
    EXPECT_EQ(HandleCommand(HC_SetPosition, NULL), 0);
    EXPECT_EQ(HandleCommand(HC_SetLoop, NULL), 0);
    EXPECT_EQ(HandleCommand(HC_InfoWindow, NULL), 1);
    EXPECT_EQ(agent.infoWindow, static_cast<HWND>(NULL));
    agent.channel1->Close();
    HandleCommand(HC_OpenFile, NULL);
    EXPECT_EQ(LatestGraph()->renderedPath, L"");
}

TEST_F(CommandDispatcherTest, NumbersBeyondThirtyTwoBitsSaturate)
{
    LoadPlaying(0, graph1);
    EXPECT_EQ(HandleCommand(HC_SetPosition, "99999999999"), INT_MAX);
    EXPECT_EQ(graph1->position, INT_MAX / 100.0);
    EXPECT_EQ(HandleCommand(HC_SetVolume, "-99999999999"), INT_MIN);
    EXPECT_EQ(graph1->volume, -10000);
    graph1->duration = 1e300;
    EXPECT_EQ(HandleCommand(HC_GetDuration, NULL), INT_MAX);
}

// The tick counter must never answer for a channel: not in the first two
// seconds of the counter's cycle, nor anywhere in its upper half.
TEST_F(CommandDispatcherTest, IsPlayingIsAlwaysTheChannelsOwnAnswer)
{
    LoadPlaying(0, graph1);
    graph1->state = State_Stopped;
    for (DWORD tick : {0u, 1999u, 2000u, 0x7FFFFFFFu, 0x80000000u, 0x80000000u + 1999u, 0xFFFFFFFFu}) {
        SetFakeTick(tick);
        EXPECT_EQ(HandleCommand(HC_IsPlaying, NULL), 0) << "stopped channel at tick " << tick;
        EXPECT_EQ(HandleCommand(QUAVEL_SECOND_CHANNEL + HC_IsPlaying, NULL), 0)
            << "channel without a file at tick " << tick;
    }
    graph1->state = State_Running;
    SetFakeTick(0x80000000u);
    EXPECT_EQ(HandleCommand(HC_IsPlaying, NULL), 1);
}

}  // namespace
