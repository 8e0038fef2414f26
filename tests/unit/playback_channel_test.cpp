#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_clip_files.h"
#include "fakes/fake_filter_graph.h"
#include "fakes/fake_filters.h"
#include "fakes/fake_reference_clock.h"
#include "harness/log_file.h"
#include "playback/filter_choices.h"
#include "playback/kept_graphs.h"
#include "playback/playback_channel.h"
#include "protocol/host_notify.h"
#include "quavel/protocol.h"

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
    void Load(const char* path = "clip.wav")
    {
        ASSERT_TRUE(channel->OpenFile(path));
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

TEST_F(PlaybackChannelTest, CloseLetsGoOfTheGraphsAndKeepsTheLoopFlag)
{
    Load();
    channel->SetLoop(true);
    channel->Close();
    EXPECT_EQ(LiveGraphs(), AgentKeptGraphs().Count()) << "the channel holds none";
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
    EXPECT_EQ(LiveGraphs(), 2) << "the closed clip's graph is kept";
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
    EXPECT_EQ(graph->state, State_Stopped) << "the first file's graph is silenced";
    EXPECT_EQ(LiveGraphs(), 2) << "and kept";
    EXPECT_EQ(LatestGraph()->renderedPath, L"second.wav");
    EXPECT_EQ(channel->GetState(), 0) << "the new file waits for Run";
}

// Every line carries the render's own HRESULT: neither what the platform
// left as last-error (here: file not found) nor what opening the log left.
TEST_F(PlaybackChannelTest, FailedRenderWritesThreeLinesAndLeavesTheChannelUnloaded)
{
    Load();
    NextGraphs().renderResult = VFW_E_UNSUPPORTED_STREAM;
    graph = nullptr;
    channel->Close();
    NextGraphs().renderLastError = ERROR_FILE_NOT_FOUND;
    TakeLog();

    EXPECT_FALSE(channel->OpenFile("dir/a.wav"));
    EXPECT_EQ(channel->GetState(), -1) << "an earlier load must not survive a failed open";
    EXPECT_EQ(channel->LastOpenError(), VFW_E_UNSUPPORTED_STREAM);

    char directory[MAX_PATH];
    GetCurrentDirectoryA(sizeof directory, directory);
    std::vector<std::string> lines = Lines(TakeLog());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(StartsWith(lines[0], "OpenFile (0x80040265 ")) << lines[0];
    EXPECT_TRUE(EndsWith(lines[0], "): dir\\a.wav")) << lines[0];
    EXPECT_TRUE(StartsWith(lines[1], "CurDir: (0x80040265 ")) << lines[1];
    EXPECT_TRUE(EndsWith(lines[1], std::string("): ") + directory)) << lines[1];
    EXPECT_TRUE(StartsWith(lines[2], "MCBS  (0x80040265 ")) << lines[2];
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
    EXPECT_TRUE(StartsWith(lines[1], "CurDir: (0x000000ce ")) << lines[1];
    EXPECT_EQ(channel->LastOpenError(), ERROR_FILENAME_EXCED_RANGE);

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
        EXPECT_EQ(channel->LastOpenError(), strtol(refused.error, nullptr, 16)) << refused.path;
        std::vector<std::string> lines = Lines(TakeLog());
        ASSERT_EQ(lines.size(), 3u) << refused.path;
        for (const std::string& line : lines)
            EXPECT_NE(line.find(std::string(" (") + refused.error + " "), std::string::npos) << line;
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
                                         BuildFailure{"Init:pBasicAudio", false, &IID_IBasicAudio},
                                         BuildFailure{"Init:pMediaFilter", false, &IID_IMediaFilter},
                                         BuildFailure{"Init:pMediaSeeking", false, &IID_IMediaSeeking}));

using Calls = std::vector<std::string>;

// A start is a cue (stop, pause, seek while paused, so nothing the renderer
// held is heard) and a run at an explicit time on the agent's clock, a lead
// ahead; a graph that does not cue in time is started all the same, later.
TEST_F(PlaybackChannelTest, StartsAreCuedAndScheduledOnTheAgentClock)
{
    Load();
    EXPECT_NE(graph->syncSource, nullptr) << "the graph runs on the agent's clock";
    SetFakeClockMs(1000);
    EXPECT_TRUE(channel->Run());
    EXPECT_EQ(graph->calls, (Calls{"Stop", "Pause", "Run at 1020"}))
        << "a graph that has never run holds nothing to drop: no seek";
    EXPECT_EQ(channel->GetState(), 2);
    EXPECT_TRUE(channel->Run());
    EXPECT_EQ(graph->calls.size(), 3u) << "a running channel goes on as it is";

    NextGraphs().cueStalls = true;
    channel->Close();
    Load("next.wav");
    SetFakeClockMs(5000);
    channel->Run();
    EXPECT_EQ(graph->startsMs, std::vector<LONGLONG>{5200});
}

// The position is the clock's time since the start is heard (an output
// latency after it is due: Wine's, some 60 ms), never past the end; "near
// the end" judges that position against the stop time or the duration.
TEST_F(PlaybackChannelTest, PositionAndStateFollowWhatIsHeard)
{
    Load();
    SetFakeOutputLatencyMs(60);
    SetFakeClockMs(1000);
    channel->Run();
    SetFakeOutputLatencyMs(0);
    EXPECT_EQ(graph->startsMs, std::vector<LONGLONG>{1020});
    const struct {
        LONGLONG clockMs;
        double position;
        int state;
    } heard[] = {
        {1000, 0.0, 2},   // started, not yet heard
        {1080, 0.0, 2},   // the start is heard
        {2580, 1.5, 2},
        {3820, 2.74, 2},
        {3830, 2.75, 1},  // exactly 0.25 s before the end
        {9000, 3.0, 1},   // never past the end
    };
    for (const auto& h : heard) {
        SetFakeClockMs(h.clockMs);
        SCOPED_TRACE(testing::Message() << "clock " << h.clockMs);
        EXPECT_NEAR(channel->GetPosition(), h.position, 1e-9);
        EXPECT_EQ(channel->GetState(), h.state);
        EXPECT_EQ(channel->IsPlaying(), h.state == 2);
        EXPECT_EQ(channel->IsPausedOrDone(), h.state == 1);
    }

    channel->SetStopTime(2.0);
    EXPECT_EQ(graph->seekEnd, 2.0) << "every cue names the end, which the graph must not play past";
    SetFakeClockMs(20000);
    EXPECT_NEAR(channel->GetPosition(), 2.0, 1e-9) << "never past the stop time";
    EXPECT_EQ(channel->GetState(), 1);
}

// Stop keeps the position where the sound stopped (what was presented last)
// and the next start cues the graph there; the stop time set while running
// stops it where it is and starts it again from there.
TEST_F(PlaybackChannelTest, StopKeepsThePositionAndRunResumesThere)
{
    Load();
    SetFakeClockMs(1000);
    channel->Run();
    SetFakeClockMs(2020);
    EXPECT_TRUE(channel->Stop());
    EXPECT_EQ(channel->GetState(), 0);
    SetFakeClockMs(5000);
    EXPECT_NEAR(channel->GetPosition(), 1.0, 1e-9);
    graph->calls.clear();
    channel->Run();
    EXPECT_EQ(graph->calls, (Calls{"Stop", "Pause", "Seek 1", "Run at 5020"}));
    EXPECT_FALSE(channel->IsStopped());

    SetFakeClockMs(5520);
    graph->calls.clear();
    channel->SetStopTime(2.5);
    EXPECT_EQ(graph->stopTime, 2.5);
    EXPECT_EQ(graph->calls, (Calls{"Stop", "Stop", "Pause", "Seek 1.5", "Run at 5540"}));
}

// A seek on a running channel plays on from there at once, even once it has
// played to its end (Wine's graph ignores a seek then); on a stopped one it
// only sets where the next start plays from.
TEST_F(PlaybackChannelTest, SeeksTakeOnFinishedRunningAndStoppedChannels)
{
    Load();
    graph->resumesOnRewind = false;
    SetFakeClockMs(1000);
    channel->Run();
    SetFakeClockMs(10000);
    ASSERT_EQ(channel->GetState(), 1) << "finished";
    graph->position = 3.0;
    graph->calls.clear();
    channel->Rewind();
    EXPECT_EQ(graph->calls, (Calls{"Stop", "Stop", "Pause", "Seek 0", "Run at 10020"}));
    EXPECT_EQ(graph->position, 0.0);
    EXPECT_EQ(channel->GetState(), 2);
    EXPECT_EQ(channel->GetPosition(), 0.0);

    SetFakeClockMs(11000);
    channel->SetPosition(-5.0);
    EXPECT_EQ(graph->position, 0.0) << "a position before the start means the start";

    channel->Stop();
    graph->calls.clear();
    channel->SetPosition(1.25);
    EXPECT_EQ(channel->GetPosition(), 1.25);
    EXPECT_EQ(channel->GetState(), 0);
    channel->Run();
    EXPECT_EQ(graph->calls, (Calls{"Stop", "Stop", "Pause", "Seek 1.25", "Run at 11020"}));
}

TEST_F(PlaybackChannelTest, VolumeReachesTheGraphOnTheCurve)
{
    Load();
    channel->SetVolume(50);
    EXPECT_EQ(graph->volume, -1592);
    EXPECT_EQ(channel->GetVolume(), 50);
    channel->SetVolume(0);
    EXPECT_EQ(graph->volume, -10000);
    EXPECT_EQ(channel->GetVolume(), 0);
}

// A loop's next pass plays from a second graph of the file, cued and started
// at the reference time the pass under way ends; the graph that finished is
// cued for the pass after once its sound has been handed on whole (20 ms).
// Volume and stop time act on both.
TEST_F(PlaybackChannelTest, LoopSchedulesEachPassInTheOtherGraphAtTheExactEnd)
{
    Load();
    FakeFilterGraph* first = graph;
    channel->SetVolume(50);
    channel->SetStopTime(2.0);
    channel->SetLoop(true);
    FakeFilterGraph* second = LatestGraph();
    ASSERT_NE(second, first);
    second->duration = 3.0;
    EXPECT_EQ(second->volume, -1592);
    EXPECT_EQ(second->stopTime, 2.0);
    EXPECT_EQ(second->calls, Calls{}) << "nothing scheduled while stopped";

    SetFakeClockMs(1000);
    channel->Run();
    EXPECT_EQ(first->startsMs, std::vector<LONGLONG>{1020});
    EXPECT_EQ(second->calls, (Calls{"Stop", "Pause", "Run at 3020"}));
    double left = 0.0;
    ASSERT_TRUE(channel->SecondsToService(&left));
    EXPECT_NEAR(left, 2.04, 1e-9) << "the next pass's start, and the slack";

    SetFakeClockMs(3039);
    channel->ServiceLoop();
    EXPECT_EQ(first->startsMs.size(), 1u) << "the first pass is still being handed on";
    EXPECT_NEAR(channel->GetPosition(), 0.019, 1e-9);
    SetFakeClockMs(3040);
    channel->ServiceLoop();
    EXPECT_EQ(first->startsMs, (std::vector<LONGLONG>{1020, 5020}));
    EXPECT_EQ(second->startsMs, std::vector<LONGLONG>{3020}) << "the pass under way is left alone";
    EXPECT_EQ(channel->GetState(), 2);

    channel->SetLoop(false);
    EXPECT_EQ(first->state, State_Stopped) << "the next pass is called off";
    SetFakeClockMs(9000);
    channel->ServiceLoop();
    EXPECT_EQ(channel->GetState(), 1) << "the current pass ended";
    EXPECT_EQ(channel->GetPosition(), 2.0);
}

// A clip shorter than a cue and a lead cannot join its passes, but every
// pass is played, one after the other, none skipped.
TEST_F(PlaybackChannelTest, AClipTooShortToJoinStillPlaysEveryPass)
{
    Load();
    graph->duration = 0.01;
    channel->SetLoop(true);
    FakeFilterGraph* second = LatestGraph();
    second->duration = 0.01;
    SetFakeClockMs(1000);
    channel->Run();
    EXPECT_EQ(second->startsMs, std::vector<LONGLONG>{1030});
    for (LONGLONG ms = 1000; ms < 2000; ms += 5) {
        SetFakeClockMs(ms);
        channel->ServiceLoop();
    }
    size_t passes = graph->startsMs.size() + second->startsMs.size();
    EXPECT_GE(passes, 15u);
    for (FakeFilterGraph* each : {graph, second}) {
        for (size_t pass = 1; pass < each->startsMs.size(); ++pass)
            EXPECT_GE(each->startsMs[pass], each->startsMs[pass - 1] + 20);
    }
}

TEST_F(PlaybackChannelTest, ALoopingChannelThatIsNotRunningOnlyGoesBackToTheStart)
{
    Load();
    channel->SetLoop(true);
    channel->SetPosition(3.0);
    double left = 0.0;
    EXPECT_FALSE(channel->SecondsToService(&left));
    channel->ServiceLoop();
    EXPECT_EQ(channel->GetPosition(), 0.0);
    EXPECT_EQ(channel->GetState(), 0);
    EXPECT_TRUE(graph->startsMs.empty());
}

TEST_F(PlaybackChannelTest, ClosedLoopingChannelIsServicedSafely)
{
    Load();
    channel->SetLoop(true);
    channel->Close();
    for (int tick = 0; tick < 10; ++tick)
        channel->ServiceLoop();
    double left = 0.0;
    EXPECT_FALSE(channel->SecondsToService(&left));
    EXPECT_EQ(LiveGraphs(), AgentKeptGraphs().Count()) << "the channel holds none";
}

// A host window of this process told of a channel's events, and what it was
// told at which time of the agent's clock.
class ToldHost {
public:
    struct Told {
        int event;
        int channel;
        LPARAM position;
        LONGLONG clockMs;
    };
    static const UINT kMessage = WM_APP + 7;

    ToldHost() : window(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL))
    {
        EXPECT_TRUE(notify.Register(window, kMessage, FakeClockMs() * 10000));
    }
    ~ToldHost() { DestroyWindow(window); }

    // Moves the clock on a millisecond at a time up to `untilMs`, the loop
    // serviced and the host told at each.
    void Follow(PlaybackChannel& channel, int number, LONGLONG untilMs)
    {
        for (LONGLONG ms = FakeClockMs(); ms <= untilMs; ++ms) {
            SetFakeClockMs(ms);
            channel.ServiceLoop();
            notify.PostHeard(channel, number, ms * 10000);
            MSG message;
            while (PeekMessageA(&message, window, kMessage, kMessage, PM_REMOVE))
                told.push_back(Told{QUAVEL_EVENT_OF(message.wParam), QUAVEL_CHANNEL_OF(message.wParam),
                                    message.lParam, ms});
        }
    }

    HWND window;
    HostNotify notify;
    std::vector<Told> told;
};

// Under Wine a start is heard an output latency (here 60 ms) after its time,
// 20 ms after the run call: the end of a three-second clip run at 1000 ms
// is heard at 4080, and told then
// (2 ms early at most: the clock's step and the timer's), once.
// A replay is a new end; what the host stops or closes never ends.
TEST_F(PlaybackChannelTest, TheHostIsToldOnceWhenTheEndIsHeard)
{
    Load();
    SetFakeOutputLatencyMs(60);
    SetFakeClockMs(1000);
    ToldHost host;
    channel->Run();
    SetFakeClockMs(4000);
    double left = 0.0;
    ASSERT_TRUE(host.notify.SecondsToNext(*channel, 4000 * 10000, &left));
    EXPECT_NEAR(left, 0.078, 1e-9);
    host.Follow(*channel, 1, 6000);
    ASSERT_EQ(host.told.size(), 1u);
    EXPECT_EQ(host.told[0].event, QUAVEL_EVENT_ENDED);
    EXPECT_EQ(host.told[0].channel, 1);
    EXPECT_EQ(host.told[0].position, 300);
    EXPECT_EQ(host.told[0].clockMs, 4078);

    channel->SetStopTime(1.5);
    channel->Rewind();
    host.Follow(*channel, 1, 8000);
    ASSERT_EQ(host.told.size(), 2u) << "the replay's end";
    EXPECT_EQ(host.told[1].clockMs, 6000 + 80 + 1500 - 2);
    EXPECT_EQ(host.told[1].position, 150) << "the stop time is the end";

    channel->Rewind();
    host.Follow(*channel, 1, 8500);
    channel->Stop();
    host.Follow(*channel, 1, 11000);
    channel->Run();
    host.Follow(*channel, 1, 11500);
    channel->Close();
    host.Follow(*channel, 1, 14000);
    EXPECT_EQ(host.told.size(), 2u) << "stopped and closed before their ends";

    ASSERT_TRUE(channel->OpenFile("clip.wav"));
    channel->Run();
    DestroyWindow(host.window);
    host.Follow(*channel, 1, 20000);
    EXPECT_EQ(host.notify.Window(), static_cast<HWND>(NULL)) << "a window that is gone is dropped";
    SetFakeOutputLatencyMs(0);
}

// Each pass after the first is told as it begins to be heard: a two-second
// clip looped from 1000 ms is heard from 1080, its passes join at 3080 and
// 5080. The loop turned off, the pass under way ends and that is told.
TEST_F(PlaybackChannelTest, TheHostIsToldAsEachLoopPassBeginsToBeHeard)
{
    Load();
    graph->duration = 2.0;
    channel->SetLoop(true);
    LatestGraph()->duration = 2.0;
    SetFakeOutputLatencyMs(60);
    SetFakeClockMs(1000);
    ToldHost host;
    channel->Run();
    host.Follow(*channel, 2, 5500);
    ASSERT_EQ(host.told.size(), 2u);
    for (size_t wrap = 0; wrap < 2; ++wrap) {
        EXPECT_EQ(host.told[wrap].event, QUAVEL_EVENT_WRAPPED);
        EXPECT_EQ(host.told[wrap].channel, 2);
        EXPECT_EQ(host.told[wrap].position, 0);
        EXPECT_EQ(host.told[wrap].clockMs, 3078 + 2000 * static_cast<LONGLONG>(wrap));
    }

    channel->SetLoop(false);
    host.Follow(*channel, 2, 8000);
    ASSERT_EQ(host.told.size(), 3u);
    EXPECT_EQ(host.told[2].event, QUAVEL_EVENT_ENDED);
    EXPECT_EQ(host.told[2].clockMs, 7078);
    EXPECT_EQ(host.told[2].position, 200);

    channel->SetLoop(true);
    host.notify.Unregister();
    host.Follow(*channel, 2, 12000);
    EXPECT_EQ(host.told.size(), 3u) << "nothing once unregistered";
    SetFakeOutputLatencyMs(0);
}

// Every question to Wine's filter mapper leaves registry handles open for
// good: a file of a kind played before is rendered through fresh instances
// of the filters chosen last time, offered before RenderFile asks anyone.
// Nothing is kept here: every open of another file renders.
class ChosenFilterTest : public testing::Test {
protected:
    void SetUp() override
    {
        NextGraphs() = FakeGraphScript();
        TakeLog();
        channel.reset(new PlaybackChannel(choices, keptNone));
    }

    void TearDown() override
    {
        channel.reset();
        NextGraphs() = FakeGraphScript();
        RefuseFakeFilter(GUID_NULL);
        EXPECT_EQ(LiveGraphs(), 0) << "a graph reference leaked";
        EXPECT_EQ(LiveFakeFilters(), 0) << "a filter reference leaked";
    }

    FilterChoices choices;
    KeptGraphs keptNone{0};
    std::unique_ptr<PlaybackChannel> channel;
};

const std::vector<CLSID> kParserAndRenderer = {CLSID_FakeParser, CLSID_FakeRenderer};
const std::vector<CLSID> kWithDecoder = {CLSID_FakeParser, CLSID_FakeDecoder, CLSID_FakeRenderer};

std::vector<CLSID> FromSource(const std::vector<CLSID>& chain)
{
    std::vector<CLSID> classes = {CLSID_FakeSource};
    classes.insert(classes.end(), chain.begin(), chain.end());
    return classes;
}

TEST_F(ChosenFilterTest, AKindPlayedBeforeIsOfferedTheFiltersChosenForItAndNoOtherKindIs)
{
    ASSERT_TRUE(channel->OpenFile("a.wav"));
    EXPECT_TRUE(LatestGraph()->offered.empty());
    EXPECT_EQ(LatestGraph()->mapperQueries, 2);
    std::wstring chosenName = LatestGraph()->filters.back()->name;

    for (const char* sameKind : {"one.wav", "upper.WAV"}) {
        SCOPED_TRACE(sameKind);
        ASSERT_TRUE(channel->OpenFile(sameKind));
        FakeFilterGraph* graph = LatestGraph();
        EXPECT_EQ(graph->offered, kParserAndRenderer) << "nearest the source first";
        EXPECT_EQ(graph->offeredNames.back(), chosenName);
        EXPECT_EQ(graph->mapperQueries, 0);
        EXPECT_EQ(graph->removeCalls, 0);
        EXPECT_EQ(graph->ConnectedClasses(), FromSource(kParserAndRenderer));
        EXPECT_EQ(LiveFakeFilters(), 3) << "only the open graph's filters live";
        EXPECT_EQ(channel->GetState(), 0);
    }

    ASSERT_TRUE(channel->OpenFile("clip.mp3"));
    EXPECT_TRUE(LatestGraph()->offered.empty()) << "another kind";
    EXPECT_EQ(LatestGraph()->mapperQueries, 2);
}

// The offer can only be tried before the mapper: a file of the same kind
// that needs other filters is rendered again, alone, so the graph that plays
// it is the one RenderFile alone would have built, and that is remembered.
TEST_F(ChosenFilterTest, AFileTheOfferDoesNotFitExactlyIsRenderedAgainAlone)
{
    NextGraphs().chains[L"adpcm.wav"] = kWithDecoder;
    ASSERT_TRUE(channel->OpenFile("a.wav"));

    int graphs = GraphsCreated();
    ASSERT_TRUE(channel->OpenFile("adpcm.wav")) << "needs one filter more than offered";
    EXPECT_EQ(GraphsCreated(), graphs + 2);
    EXPECT_TRUE(LatestGraph()->offered.empty());
    EXPECT_EQ(LatestGraph()->ConnectedClasses(), FromSource(kWithDecoder));
    EXPECT_EQ(LiveGraphs(), 1);

    graphs = GraphsCreated();
    ASSERT_TRUE(channel->OpenFile("one.wav")) << "leaves an offered filter unconnected";
    EXPECT_EQ(GraphsCreated(), graphs + 2);
    EXPECT_TRUE(LatestGraph()->offered.empty());
    EXPECT_EQ(LatestGraph()->ConnectedClasses(), FromSource(kParserAndRenderer));

    graphs = GraphsCreated();
    ASSERT_TRUE(channel->OpenFile("two.wav"));
    EXPECT_EQ(GraphsCreated(), graphs + 1);
    EXPECT_EQ(LatestGraph()->offered, kParserAndRenderer);
    EXPECT_EQ(channel->GetState(), 0);
}

TEST_F(ChosenFilterTest, ARememberedFilterThatCannotBeMadeLeavesTheChoiceToTheMapper)
{
    ASSERT_TRUE(channel->OpenFile("a.wav"));
    RefuseFakeFilter(CLSID_FakeRenderer);
    ASSERT_TRUE(channel->OpenFile("one.wav"));
    EXPECT_EQ(LatestGraph()->mapperQueries, 2);
    EXPECT_EQ(LatestGraph()->ConnectedClasses(), FromSource(kParserAndRenderer));
    EXPECT_EQ(LiveFakeFilters(), 3) << "the parser made for the offer is gone again";
}

// Pre-added filters change nothing a failed render reports: the same three
// lines, with the render's HRESULT, and no second attempt.
TEST_F(ChosenFilterTest, AFailedRenderWithdrawsTheOfferAndLogsTheRendersOwnError)
{
    ASSERT_TRUE(channel->OpenFile("a.wav"));
    NextGraphs().renderResult = E_FAIL;
    NextGraphs().renderLastError = ERROR_FILE_NOT_FOUND;
    int graphs = GraphsCreated();
    TakeLog();

    EXPECT_FALSE(channel->OpenFile("one.wav"));
    EXPECT_EQ(GraphsCreated(), graphs + 1);
    EXPECT_EQ(LatestGraph()->renderCalls, 1);
    EXPECT_TRUE(LatestGraph()->filters.empty()) << "offered filters left in the graph";
    std::vector<std::string> lines = Lines(TakeLog());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(StartsWith(lines[0], "OpenFile (0x80004005 ")) << lines[0];
    EXPECT_EQ(channel->LastOpenError(), E_FAIL);
    EXPECT_EQ(channel->GetState(), -1);
}

// A host replays a sound by opening it again: the channel rewinds the graph
// it has, whatever the host did to it, instead of paying for a new parser.
TEST_F(ChosenFilterTest, OpeningTheHeldFileAgainLeavesItAsAFreshOpenWould)
{
    ASSERT_TRUE(channel->OpenFile("dir/a.wav"));
    FakeFilterGraph* graph = LatestGraph();
    graph->duration = 3.0;
    channel->Run();
    channel->SetPosition(2.0);
    channel->SetStopTime(1.0);
    channel->SetVolume(50);
    graph->flushes = 0;
    int graphs = GraphsCreated();

    ASSERT_TRUE(channel->OpenFile("dir\\a.wav")) << "the same path once converted";
    EXPECT_EQ(GraphsCreated(), graphs);
    EXPECT_EQ(LatestGraph(), graph);
    EXPECT_EQ(graph->renderCalls, 1);
    EXPECT_EQ(graph->state, State_Stopped);
    EXPECT_EQ(channel->GetPosition(), 0.0);
    EXPECT_EQ(graph->stopTime, 3.0) << "a stop time before the end survived";
    EXPECT_EQ(graph->volume, 0) << "full volume";
    EXPECT_EQ(channel->GetState(), 0);
    EXPECT_EQ(TakeLog(), "");
    graph->calls.clear();
    channel->Run();
    EXPECT_EQ(graph->calls[2], "Seek 0") << "while paused: what the renderer had queued is dropped";
}

void TouchWriteTime(const char* path, DWORD secondsLater)
{
    HANDLE file = CreateFileA(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    FILETIME written;
    GetFileTime(file, NULL, NULL, &written);
    ULARGE_INTEGER time;
    time.LowPart = written.dwLowDateTime;
    time.HighPart = written.dwHighDateTime;
    time.QuadPart += secondsLater * 10000000ULL;
    written.dwLowDateTime = time.LowPart;
    written.dwHighDateTime = time.HighPart;
    SetFileTime(file, NULL, NULL, &written);
    CloseHandle(file);
}

void AppendByte(const char* path)
{
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    DWORD written = 0;
    WriteFile(file, "x", 1, &written, NULL);
    CloseHandle(file);
}

TEST_F(ChosenFilterTest, TheHeldFileChangedOnDiskClosedOrSpelledOtherwiseIsOpenedAfresh)
{
    struct Case {
        const char* what;
        const char* reopened;
        void (*between)(PlaybackChannel* channel);
    };
    const Case cases[] = {
        {"written later", "held.wav", [](PlaybackChannel*) { TouchWriteTime("held.wav", 5); }},
        {"grown", "held.wav", [](PlaybackChannel*) { AppendByte("held.wav"); }},
        {"closed", "held.wav", [](PlaybackChannel* channel) { channel->Close(); }},
        {"after a failed open", "held.wav",
         [](PlaybackChannel* channel) { channel->OpenFile("missing.wav"); }},
        {"spelled otherwise", ".\\held.wav", [](PlaybackChannel*) {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(channel->OpenFile("held.wav"));
        c.between(channel.get());
        int graphs = GraphsCreated();
        ASSERT_TRUE(channel->OpenFile(c.reopened));
        EXPECT_EQ(GraphsCreated(), graphs + 1);
        EXPECT_EQ(LatestGraph()->renderCalls, 1);
    }
    TakeLog();

    ASSERT_TRUE(channel->OpenFile("held.wav"));
    ASSERT_TRUE(DeleteFileA("held.wav"));
    EXPECT_FALSE(channel->OpenFile("held.wav")) << "a held file gone from disk fails as any missing one";
    EXPECT_EQ(Lines(TakeLog()).size(), 3u);
    CloseHandle(CreateFileA("held.wav", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
}

// Short sounds play from memory, and their graphs are kept once a channel is
// done with them, for the next open of the same file unchanged on disk:
// every fresh graph costs what the platform's parser never gives back.
class KeptGraphTest : public testing::Test {
protected:
    void SetUp() override
    {
        NextGraphs() = FakeGraphScript();
        TakeLog();
        channel.reset(new PlaybackChannel(choices, kept));
    }

    void TearDown() override
    {
        other.reset();
        channel.reset();
        EXPECT_EQ(kept.Count(), 0) << "the last channel out releases the set";
        EXPECT_EQ(LiveGraphs(), 0) << "a graph reference leaked";
        EXPECT_EQ(TakeLog(), "");
    }

    // Opens `path` on `on`; true when that took a kept graph.
    bool OpensKept(PlaybackChannel* on, const char* path)
    {
        int graphs = GraphsCreated();
        EXPECT_TRUE(on->OpenFile(path)) << path;
        return GraphsCreated() == graphs;
    }

    FilterChoices choices;
    KeptGraphs kept;
    std::unique_ptr<PlaybackChannel> channel;
    std::unique_ptr<PlaybackChannel> other;
};

TEST_F(KeptGraphTest, AKeptSoundPlaysAgainFromItsGraphAsAFreshOpenWouldAndLeavesItsFileFree)
{
    ASSERT_TRUE(channel->OpenFile("a.wav"));
    FakeFilterGraph* a = LatestGraph();
    EXPECT_EQ(a->pinRenders, 1) << "a short file plays from memory";
    a->duration = 3.0;
    SetFakeClockMs(1000);
    channel->Run();
    channel->SetStopTime(2.0);
    channel->SetVolume(50);
    SetFakeClockMs(1500);
    ASSERT_FALSE(OpensKept(channel.get(), "one.wav"));
    EXPECT_EQ(a->state, State_Stopped) << "silenced as it is given back";
    EXPECT_EQ(kept.Count(), 1);

    ASSERT_TRUE(OpensKept(channel.get(), "a.wav"));
    EXPECT_EQ(kept.Count(), 1) << "one.wav's graph given back";
    EXPECT_EQ(a->stopTime, 3.0);
    EXPECT_EQ(a->volume, 0);
    EXPECT_EQ(channel->GetState(), 0);
    EXPECT_EQ(channel->GetPosition(), 0.0);
    a->calls.clear();
    SetFakeClockMs(5000);
    channel->Run();
    EXPECT_EQ(a->calls, (Calls{"Stop", "Pause", "Seek 0", "Run at 5020"}))
        << "cued while paused: nothing it had queued is heard";

    HANDLE writer = CreateFileA("a.wav", GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE) << "the file is held open, error " << GetLastError();
    CloseHandle(writer);
}

TEST_F(KeptGraphTest, LargerFilesStreamFromDiskAndAreNeverKept)
{
    ASSERT_TRUE(channel->OpenFile(kLargeClip));
    EXPECT_EQ(LatestGraph()->pinRenders, 0);
    EXPECT_EQ(LatestGraph()->renderCalls, 1);
    ASSERT_FALSE(OpensKept(channel.get(), "a.wav"));
    EXPECT_EQ(kept.Count(), 0);
    EXPECT_FALSE(OpensKept(channel.get(), kLargeClip));
}

TEST_F(KeptGraphTest, TheGraphGivenBackLeastRecentlyMakesRoomAndAChangedFileIsReadAfresh)
{
    for (const char* clip : {"a.wav", "one.wav", "two.wav", "next.wav", "second.wav", "short.wav",
                             "clip.wav", "wrapped.wav", "held.wav", "dir/a.wav", "music/b.wav"})
        ASSERT_TRUE(channel->OpenFile(clip));
    EXPECT_EQ(kept.Count(), kKeptGraphs);
    EXPECT_EQ(LiveGraphs(), kKeptGraphs + 1);
    EXPECT_TRUE(OpensKept(channel.get(), "two.wav")) << "the oldest still kept";
    EXPECT_FALSE(OpensKept(channel.get(), "a.wav")) << "dropped";
    EXPECT_FALSE(OpensKept(channel.get(), "next.wav")) << "dropped to make room for two.wav";
    EXPECT_TRUE(OpensKept(channel.get(), "two.wav")) << "given back since";

    TouchWriteTime("clip.wav", 5);
    int live = LiveGraphs();
    EXPECT_FALSE(OpensKept(channel.get(), "clip.wav")) << "changed on disk: read afresh";
    EXPECT_EQ(LiveGraphs(), live) << "the graph of the old version is dropped";
}

TEST_F(KeptGraphTest, TheFilesKeptStayWithinTheirAllowance)
{
    const DWORD kBytes = kMemoryFileLimit * 3 / 4;
    const int kFit = static_cast<int>(kKeptFileBytes / kBytes);
    std::vector<std::string> big;
    for (int i = 0; i <= kFit + 1; ++i) {
        big.push_back("big" + std::to_string(i) + ".wav");
        MakeFakeClipFile(big.back().c_str(), kBytes);
        ASSERT_TRUE(channel->OpenFile(big.back().c_str()));
    }
    EXPECT_EQ(kept.Count(), kFit);
    EXPECT_EQ(kept.FileBytes(), kFit * kBytes);
    EXPECT_TRUE(OpensKept(channel.get(), big[1].c_str()));
    EXPECT_FALSE(OpensKept(channel.get(), big[0].c_str()));
    for (const std::string& name : big)
        DeleteFileA(name.c_str());
}

// Both channels draw on one set: a graph is the set's or one channel's.
TEST_F(KeptGraphTest, AGraphHasOneOwnerAndALoopsTwoGraphsAreKeptTogether)
{
    other.reset(new PlaybackChannel(choices, kept));
    ASSERT_TRUE(channel->OpenFile("a.wav"));
    FakeFilterGraph* a = LatestGraph();
    ASSERT_TRUE(channel->OpenFile("one.wav"));
    EXPECT_TRUE(OpensKept(other.get(), "a.wav"));
    EXPECT_FALSE(OpensKept(channel.get(), "a.wav")) << "the other channel's graph is its own";
    FakeFilterGraph* mine = LatestGraph();
    a->calls.clear();
    channel->Run();
    EXPECT_TRUE(a->calls.empty());
    EXPECT_EQ(mine->startsMs.size(), 1u);

    channel->SetLoop(true);
    channel->Close();
    EXPECT_EQ(kept.Count(), 3) << "both graphs of the loop, and one.wav's";
    EXPECT_TRUE(OpensKept(channel.get(), "a.wav")) << "both come back";
    EXPECT_EQ(kept.Count(), 1);
}

TEST(KindOfFile, IsTheLowerCasedExtensionOfTheLastPathElement)
{
    const struct {
        const wchar_t* path;
        const wchar_t* kind;
    } cases[] = {
        {L"a.wav", L".wav"}, {L"C:\\Sounds\\Bell.WaV", L".wav"}, {L"x.tar.GZ", L".gz"},
        {L"noext", L""}, {L"dir.d\\noext", L""}, {L"caf\u00c9.\u00c9T\u00c9", L".\u00c9t\u00c9"},
    };
    for (const auto& c : cases) {
        WCHAR kind[kKindCapacity];
        ASSERT_TRUE(KindOfFile(c.path, kind)) << c.path;
        EXPECT_STREQ(kind, c.kind) << c.path;
    }
    WCHAR kind[kKindCapacity];
    EXPECT_TRUE(KindOfFile(L"a.fifteen-letter", kind));
    EXPECT_FALSE(KindOfFile(L"a.sixteen-letters", kind)) << "longer than a kind holds";
}

TEST(FilterChoices, TheKindUsedLeastRecentlyGivesWayWhenEveryPlaceIsTaken)
{
    FilterChoices choices;
    FilterChain chain = {};
    const int kKinds = 16;
    for (int i = 0; i <= kKinds; ++i) {
        std::wstring kind = L".k" + std::to_wstring(i);
        chain.count = i % kChainCapacity;
        if (i == kKinds) {
            ASSERT_NE(choices.Find(L".k0"), nullptr) << "used again: now the most recent";
        }
        choices.Remember(kind.c_str(), chain);
    }
    EXPECT_NE(choices.Find(L".k0"), nullptr);
    EXPECT_EQ(choices.Find(L".k1"), nullptr) << "the least recently used";
    ASSERT_NE(choices.Find(L".k16"), nullptr);
    EXPECT_EQ(choices.Find(L".k16")->count, 16 % kChainCapacity);

    chain.count = 5;
    choices.Remember(L".k16", chain);
    EXPECT_EQ(choices.Find(L".k16")->count, 5) << "remembering a kind again replaces its chain";
    EXPECT_NE(choices.Find(L".k2"), nullptr) << "and takes no other's place";
}

}  // namespace
