#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_filter_graph.h"
#include "harness/log_file.h"
#include "playback/playback_channel.h"

namespace {

std::vector<std::string> Lines(const std::string& log)
{
    std::vector<std::string> lines;
    for (size_t start = 0; start < log.size();) {
        size_t end = log.find("\r\n", start);
        if (end == std::string::npos)
            end = log.size();
        lines.push_back(log.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.rfind(prefix, 0) == 0;
}

bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

class PlaybackChannelTest : public testing::Test {
protected:
    void SetUp() override
    {
        NextGraphs() = FakeGraphScript();
        TakeLog();
        channel.reset(new PlaybackChannel());
        graph = LatestGraph();
    }

    void TearDown() override
    {
        channel.reset();
        EXPECT_EQ(LiveGraphs(), 0) << "a graph reference leaked";
    }

    // A loaded clip of three seconds.
    void Load()
    {
        ASSERT_TRUE(channel->OpenFile("clip.wav"));
        graph = LatestGraph();
        graph->duration = 3.0;
    }

    void ExpectNoFileAnswers()
    {
        EXPECT_EQ(channel->GetState(), -1);
        EXPECT_FALSE(channel->IsPlaying());
        EXPECT_FALSE(channel->IsPausedOrDone());
        EXPECT_FALSE(channel->IsStopped());
        EXPECT_FALSE(channel->Run());
        EXPECT_FALSE(channel->Stop());
        EXPECT_EQ(channel->GetPosition(), 0.0);
        EXPECT_EQ(channel->GetDuration(), 0.0);
        EXPECT_EQ(channel->GetVolume(), 0);
        channel->SetVolume(50);
        channel->SetPosition(1.0);
        channel->SetStopTime(1.0);
        channel->Rewind();
    }

    std::unique_ptr<PlaybackChannel> channel;
    FakeFilterGraph* graph = nullptr;
};

TEST_F(PlaybackChannelTest, WithoutAFileEveryQueryGivesItsNoFileValue)
{
    ExpectNoFileAnswers();
    EXPECT_EQ(graph->runCalls + graph->stopCalls + graph->seekCalls, 0);
    EXPECT_EQ(graph->volume, 0);
}

TEST_F(PlaybackChannelTest, CloseReleasesTheGraphAndKeepsTheLoopFlag)
{
    Load();
    channel->SetLoop(true);
    channel->Close();
    EXPECT_EQ(LiveGraphs(), 0);
    ExpectNoFileAnswers();
    EXPECT_TRUE(channel->GetLoop());
}

TEST_F(PlaybackChannelTest, OpenAfterCloseBuildsAFreshGraph)
{
    Load();
    channel->Close();
    ASSERT_TRUE(channel->OpenFile("next.wav"));
    ASSERT_NE(LatestGraph(), nullptr);
    EXPECT_EQ(LatestGraph()->renderedPath, L"next.wav");
    EXPECT_EQ(LiveGraphs(), 1);
    EXPECT_EQ(channel->GetState(), 0);
}

TEST_F(PlaybackChannelTest, PathIsConvertedAndWidenedBytewise)
{
    ASSERT_TRUE(channel->OpenFile("music/caf\xe9.wav"));
    EXPECT_EQ(LatestGraph()->renderedPath, L"music\\caf\u00e9.wav");
}

TEST_F(PlaybackChannelTest, OpeningAgainReplacesTheFileInAFreshGraph)
{
    Load();
    channel->Run();
    ASSERT_TRUE(channel->OpenFile("second.wav"));
    EXPECT_EQ(LiveGraphs(), 1) << "the first file's graph is released";
    EXPECT_EQ(LatestGraph()->renderedPath, L"second.wav");
    EXPECT_EQ(channel->GetState(), 0) << "the new file waits for Run";
}

TEST_F(PlaybackChannelTest, FailedRenderWritesThreeLinesAndLeavesTheChannelUnloaded)
{
    Load();
    NextGraphs().renderResult = E_FAIL;
    graph = nullptr;
    channel->Close();
    NextGraphs().renderLastError = ERROR_FILE_NOT_FOUND;
    TakeLog();

    EXPECT_FALSE(channel->OpenFile("dir/a.wav"));
    EXPECT_EQ(channel->GetState(), -1) << "an earlier load must not survive a failed open";

    char directory[MAX_PATH];
    GetCurrentDirectoryA(sizeof directory, directory);
    std::vector<std::string> lines = Lines(TakeLog());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(StartsWith(lines[0], "OpenFile (0x00000002 ")) << lines[0];
    EXPECT_TRUE(EndsWith(lines[0], "): dir\\a.wav")) << lines[0];
    EXPECT_TRUE(StartsWith(lines[1], "CurDir: (0x")) << lines[1];
    EXPECT_TRUE(EndsWith(lines[1], std::string("): ") + directory)) << lines[1];
    EXPECT_TRUE(StartsWith(lines[2], "MCBS  (0x")) << lines[2];
    EXPECT_TRUE(EndsWith(lines[2], "): 10: 0064 0069 0072 005c 0061 002e 0077 0061 0076 0000"))
        << lines[2];
}

TEST_F(PlaybackChannelTest, LongestAcceptedPathIsDumpedWhole)
{
    std::string longest(259, 'a');
    TakeLog();

    EXPECT_FALSE(channel->OpenFile(longest.c_str()));
    std::string dump = Lines(TakeLog()).at(2);
    std::string groups;
    for (int i = 0; i < 259; ++i)
        groups += " 0061";
    EXPECT_TRUE(EndsWith(dump, "): 260:" + groups + " 0000")) << dump;
}

TEST_F(PlaybackChannelTest, OverlongPathFailsCleanlyAndTheChannelKeepsWorking)
{
    std::string overlong(300, 'b');
    EXPECT_FALSE(channel->OpenFile(overlong.c_str()));
    EXPECT_EQ(LatestGraph()->renderedPath, L"") << "an overlong path must never reach the graph";

    std::vector<std::string> lines = Lines(TakeLog());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(StartsWith(lines[0], "OpenFile (0x000000ce ")) << lines[0];
    EXPECT_TRUE(EndsWith(lines[0], "): " + overlong));
    EXPECT_TRUE(StartsWith(lines[1], "CurDir: (0x")) << lines[1];

    EXPECT_TRUE(channel->OpenFile("short.wav"));
}

// A graph asked to read a device can wait for input forever; one asked for
// a missing file or a folder leaves a thread behind on Wine.
TEST_F(PlaybackChannelTest, NothingButADiskFileReachesTheGraph)
{
    struct Refused {
        const char* path;
        const char* error;
    };
    for (const Refused& refused : {Refused{"NUL", "0x00000032"}, Refused{"AUX", "0x00000032"},
                                   Refused{"COM1", "0x00000032"}, Refused{"dir/aux.wav", "0x00000032"},
                                   Refused{"\\\\.\\NUL", "0x00000032"}, Refused{"missing.wav", "0x00000002"},
                                   Refused{"no/such/clip.wav", "0x00000003"}, Refused{"dir", "0x00000005"},
                                   Refused{"music/", "0x00000005"}}) {
        EXPECT_FALSE(channel->OpenFile(refused.path)) << refused.path;
        std::vector<std::string> lines = Lines(TakeLog());
        ASSERT_EQ(lines.size(), 3u) << refused.path;
        EXPECT_TRUE(StartsWith(lines[0], std::string("OpenFile (") + refused.error + " ")) << lines[0];
    }
    EXPECT_EQ(LatestGraph()->renderedPath, L"");
    EXPECT_TRUE(channel->OpenFile("clip.wav"));
}

struct BuildFailure {
    const char* tag;
    bool failCreate;
    const IID* missing;
};

class GraphBuildFailureTest : public testing::TestWithParam<BuildFailure> {};

TEST_P(GraphBuildFailureTest, LogsOneInitLineHoldsNothingAndRetriesOnOpen)
{
    NextGraphs() = FakeGraphScript();
    NextGraphs().failCreate = GetParam().failCreate;
    NextGraphs().missingInterface = GetParam().missing;
    TakeLog();
    SetLastError(0);

    PlaybackChannel channel;
    EXPECT_EQ(LiveGraphs(), 0);
    EXPECT_EQ(channel.GetState(), -1);
    std::vector<std::string> lines = Lines(TakeLog());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(StartsWith(lines[0], std::string(GetParam().tag) + " (0x")) << lines[0];
    EXPECT_TRUE(EndsWith(lines[0], ")")) << "no detail expected: " << lines[0];

    EXPECT_FALSE(channel.OpenFile("a.wav")) << "still failing: no graph";
    EXPECT_EQ(Lines(TakeLog()).size(), 1u) << "only the Init: line, no render lines";

    NextGraphs() = FakeGraphScript();
    EXPECT_TRUE(channel.OpenFile("a.wav"));
    EXPECT_EQ(LiveGraphs(), 1);
}

INSTANTIATE_TEST_SUITE_P(EachMember, GraphBuildFailureTest,
                         testing::Values(BuildFailure{"Init:pGraph", true, nullptr},
                                         BuildFailure{"Init:pMediaControl", false, &IID_IMediaControl},
                                         BuildFailure{"Init:pMediaPos", false, &IID_IMediaPosition},
                                         BuildFailure{"Init:pBasicAudio", false, &IID_IBasicAudio}));

TEST_F(PlaybackChannelTest, StateQueriesJudgeTheEndWithAQuarterSecondMargin)
{
    Load();
    const struct {
        OAFilterState state;
        double position;
        bool playing, pausedOrDone, stopped;
        int reported;
    } cases[] = {
        {State_Running, 1.00, true, false, false, 2},
        {State_Running, 2.74, true, false, false, 2},
        {State_Running, 2.75, false, true, false, 1},  // exactly 0.25 s before the end
        {State_Running, 3.00, false, true, false, 1},
        {State_Paused, 1.00, false, true, false, 1},
        {State_Stopped, 1.00, false, false, true, 0},
        {State_Stopped, 2.90, false, true, true, 0},
    };
    for (const auto& c : cases) {
        graph->state = c.state;
        graph->position = c.position;
        SCOPED_TRACE(testing::Message() << "state " << c.state << " at " << c.position);
        EXPECT_EQ(channel->IsPlaying(), c.playing);
        EXPECT_EQ(channel->IsPausedOrDone(), c.pausedOrDone);
        EXPECT_EQ(channel->IsStopped(), c.stopped);
        EXPECT_EQ(channel->GetState(), c.reported);
    }
}

TEST_F(PlaybackChannelTest, TransportPositionAndVolumeReachTheGraph)
{
    Load();
    EXPECT_TRUE(channel->Run());
    EXPECT_EQ(graph->state, State_Running);
    channel->SetPosition(12.34);
    EXPECT_EQ(channel->GetPosition(), 12.34);
    channel->SetStopTime(1.5);
    EXPECT_EQ(graph->stopTime, 1.5);
    channel->Rewind();
    EXPECT_EQ(graph->position, 0.0);
    channel->SetPosition(-5.0);
    EXPECT_EQ(graph->position, 0.0) << "a position before the start means the start";
    EXPECT_TRUE(channel->Stop());
    EXPECT_EQ(graph->state, State_Stopped);

    channel->SetVolume(50);
    EXPECT_EQ(graph->volume, -1592);
    EXPECT_EQ(channel->GetVolume(), 50);
    channel->SetVolume(0);
    EXPECT_EQ(graph->volume, -10000);
    EXPECT_EQ(channel->GetVolume(), 0);
}

using Calls = std::vector<std::string>;

// A running graph is wrapped by stop, rewind, run, in that order: a seek while
// it runs would make Wine's graph drop the clip's unplayed tail and start
// again late. Everything a host sees after the wrap is as before.
TEST_F(PlaybackChannelTest, LoopRestartsARunningGraphAtItsEnd)
{
    Load();
    channel->SetLoop(true);
    channel->SetVolume(50);
    channel->SetStopTime(2.5);
    channel->Run();
    graph->position = 3.0;
    graph->calls.clear();

    channel->ServiceLoop();
    EXPECT_EQ(graph->calls, (Calls{"Stop", "Seek 0", "Run"}));
    EXPECT_EQ(graph->position, 0.0);
    EXPECT_EQ(channel->GetState(), 2);
    EXPECT_EQ(channel->GetVolume(), 50);
    EXPECT_EQ(graph->stopTime, 2.5);

    graph->position = 2.99;
    channel->ServiceLoop();
    EXPECT_EQ(graph->calls.size(), 3u) << "nothing before the end";
}

// Wine's graph may ignore a seek while it runs at its end; the restart does
// not depend on the seek being honoured while running.
TEST_F(PlaybackChannelTest, LoopKeepsWrappingAGraphThatIgnoresRunningSeeks)
{
    Load();
    graph->resumesOnRewind = false;
    channel->SetLoop(true);
    channel->Run();
    int wraps = 0;
    for (int tick = 0; tick < 400; ++tick) {
        double before = graph->position;
        channel->ServiceLoop();
        if (graph->position < before)
            ++wraps;
        graph->position = std::min(graph->position + 0.05, graph->duration);
    }
    EXPECT_GE(wraps, 5);
    EXPECT_EQ(graph->stopCalls, wraps);
    EXPECT_EQ(graph->runCalls, wraps + 1) << "the host's own Run and one per wrap";
    EXPECT_EQ(graph->state, State_Running);
}

TEST_F(PlaybackChannelTest, LoopOnlyRewindsAGraphThatIsNotRunning)
{
    Load();
    channel->SetLoop(true);
    for (OAFilterState state : {State_Paused, State_Stopped}) {
        SCOPED_TRACE(testing::Message() << "state " << state);
        graph->state = state;
        graph->position = 3.0;
        graph->calls.clear();
        channel->ServiceLoop();
        EXPECT_EQ(graph->calls, Calls{"Seek 0"});
        EXPECT_EQ(graph->position, 0.0);
        EXPECT_EQ(graph->state, state);
    }
}

TEST_F(PlaybackChannelTest, LoopNeverStartsAGraphThatWasNotRunning)
{
    Load();
    graph->resumesOnRewind = false;
    graph->state = State_Paused;
    graph->position = 3.0;
    channel->SetLoop(true);
    for (int tick = 0; tick < 10; ++tick)
        channel->ServiceLoop();
    EXPECT_EQ(graph->runCalls, 0);
    EXPECT_EQ(graph->stopCalls, 0);
    EXPECT_EQ(graph->state, State_Paused);
}

TEST_F(PlaybackChannelTest, WithoutLoopOrWithoutAnOrderedPositionNothingIsRewound)
{
    Load();
    graph->state = State_Running;
    graph->position = 3.0;
    channel->ServiceLoop();
    EXPECT_EQ(graph->seekCalls, 0);
    EXPECT_EQ(graph->stopCalls, 0);

    channel->SetLoop(true);
    graph->position = std::nan("");
    channel->ServiceLoop();
    EXPECT_EQ(graph->seekCalls, 0);
    EXPECT_EQ(graph->stopCalls, 0);
}

TEST_F(PlaybackChannelTest, ClosedLoopingChannelIsServicedSafely)
{
    Load();
    channel->SetLoop(true);
    channel->Close();
    for (int tick = 0; tick < 10; ++tick)
        channel->ServiceLoop();
    EXPECT_EQ(LiveGraphs(), 0);
}

// The wake-up that wraps a loop on time is armed from this answer: a channel
// it would not restart must never ask for one.
TEST_F(PlaybackChannelTest, TimeToWrapIsToldOnlyForALoadedLoopingRunningChannel)
{
    double left = -1.0;
    channel->SetLoop(true);
    EXPECT_FALSE(channel->SecondsToWrap(&left)) << "no file";

    Load();
    graph->state = State_Running;
    graph->position = 2.98;
    ASSERT_TRUE(channel->SecondsToWrap(&left));
    EXPECT_NEAR(left, 0.02, 1e-9);
    graph->position = 3.01;
    ASSERT_TRUE(channel->SecondsToWrap(&left));
    EXPECT_NEAR(left, -0.01, 1e-9) << "already past its end";

    const struct {
        OAFilterState state;
        bool loop;
        double position;
    } silent[] = {
        {State_Paused, true, 2.98},
        {State_Stopped, true, 2.98},
        {State_Running, false, 2.98},
        {State_Running, true, std::nan("")},
    };
    for (const auto& c : silent) {
        SCOPED_TRACE(testing::Message() << "state " << c.state << " loop " << c.loop << " at "
                                        << c.position);
        graph->state = c.state;
        channel->SetLoop(c.loop);
        graph->position = c.position;
        EXPECT_FALSE(channel->SecondsToWrap(&left));
    }

    channel->SetLoop(true);
    graph->state = State_Running;
    graph->position = 2.98;
    channel->Close();
    EXPECT_FALSE(channel->SecondsToWrap(&left)) << "closed";
}

}  // namespace
