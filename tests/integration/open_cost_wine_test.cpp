#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "harness/log_file.h"
#include "harness/process_counts.h"
#include "harness/wav_file.h"
#include "playback/kept_graphs.h"
#include "playback/playback_channel.h"

// What opening files costs this process on the platform's own DirectShow,
// counted in-process (Wine reads another process's handles as 0) over a few
// hundred opens, against absolute limits: an agent that lives for weeks
// opens hundreds of thousands of files.
namespace {

const int kOpens = 200;
const int kReopens = 300;
// Wine's filter graph never closes one event it creates (hEventCompletion in
// dlls/quartz/filtergraph.c): one handle per fresh graph is the platform's.
const long kHandlesPerFreshGraph = 1;
// Handles and threads of the platform's pools may come and go.
const long kHandleSlack = 16;
const long kThreadSlack = 5;
// A fresh graph per open costs 9-12 KB; allocator noise over the run stays
// well below a kilobyte per open.
const long long kBytesPerReopen = 1024;
const DWORD kPlayMs = 20;

class OpenCostOnWine : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        WriteToneWav("cost.wav", 0.5);
        WriteToneAu("cost.au", 0.5);
    }

    void SetUp() override
    {
        TakeLog();
        channel.reset(new PlaybackChannel());
        // Each kind's first open asks the filter mapper, and that costs
        // what it costs once per kind and process.
        ASSERT_TRUE(channel->OpenFile("cost.au"));
        ASSERT_TRUE(channel->OpenFile("cost.wav"));
        ASSERT_GT(CountsOfThisProcess().handles, 0) << "no way to count this process's handles";
    }

    void TearDown() override { EXPECT_EQ(TakeLog(), ""); }

    // What kReopens opens left between `before` and `after`, held to what
    // the platform's pools may do: no handles, no threads, well under the
    // kilobytes a fresh graph costs.
    void ExpectNothingLeftByTheOpens(const ProcessCounts& before, const ProcessCounts& after)
    {
        RecordProperty("handles", std::to_string(after.handles - before.handles));
        RecordProperty("threads", std::to_string(after.threads - before.threads));
        RecordProperty("private_bytes", std::to_string(after.privateBytes - before.privateBytes));
        RecordProperty("opens", std::to_string(kReopens));
        EXPECT_LE(after.handles - before.handles, kHandleSlack);
        EXPECT_LE(after.threads - before.threads, kThreadSlack);
        EXPECT_LE(after.privateBytes - before.privateBytes, kReopens * kBytesPerReopen)
            << (after.privateBytes - before.privateBytes) / kReopens << " bytes per open";
    }

    std::unique_ptr<PlaybackChannel> channel;
};

TEST_F(OpenCostOnWine, FilesOfKindsPlayedBeforeLeaveOnlyTheGraphsOwnHandle)
{
    ProcessCounts before = CountsOfThisProcess();
    for (int i = 0; i < kOpens; ++i)
        ASSERT_TRUE(channel->OpenFile(i % 2 ? "cost.wav" : "cost.au")) << "alternating, open " << i;
    ProcessCounts alternating = CountsOfThisProcess();
    for (int i = 0; i < kOpens; ++i) {
        channel->Close();
        ASSERT_TRUE(channel->OpenFile("cost.wav")) << "after a close, open " << i;
    }
    ProcessCounts closing = CountsOfThisProcess();
    RecordProperty("alternating_handles", std::to_string(alternating.handles - before.handles));
    RecordProperty("closing_handles", std::to_string(closing.handles - alternating.handles));
    RecordProperty("threads", std::to_string(closing.threads - before.threads));
    RecordProperty("opens_per_pattern", std::to_string(kOpens));

    EXPECT_LE(alternating.handles - before.handles, kOpens * kHandlesPerFreshGraph + kHandleSlack);
    EXPECT_LE(closing.handles - alternating.handles, kOpens * kHandlesPerFreshGraph + kHandleSlack);
    EXPECT_LE(closing.threads - before.threads, kThreadSlack);
}

// A host replays a sound by opening it again and running it.
TEST_F(OpenCostOnWine, ReplayingTheHeldFileCostsNoHandlesNoThreadsAndNoMemory)
{
    for (int i = 0; i < kOpens / 10; ++i) {
        ASSERT_TRUE(channel->OpenFile("cost.wav"));
        channel->Run();
        Sleep(kPlayMs);
    }
    ProcessCounts before = CountsOfThisProcess();
    for (int i = 0; i < kReopens; ++i) {
        ASSERT_TRUE(channel->OpenFile("cost.wav")) << "replay " << i;
        ASSERT_EQ(channel->GetState(), 0) << "a replayed file waits for Run";
        ASSERT_EQ(channel->GetPosition(), 0.0);
        channel->Run();
        Sleep(kPlayMs);
    }
    ASSERT_TRUE(channel->OpenFile("cost.wav"));
    ExpectNothingLeftByTheOpens(before, CountsOfThisProcess());
}

// A host that plays a few short sounds in turn on one channel, again and
// again: each is played from the graph kept since its last open. A graph's
// first run takes what its renderer keeps for good (its sound buffer): each
// sound is played a few times before counting.
TEST_F(OpenCostOnWine, AWorkingSetOfShortSoundsCostsNothingOnceEachHasBeenPlayed)
{
    std::vector<std::string> sounds;
    for (int i = 0; i < kKeptGraphs; ++i) {
        sounds.push_back("sound" + std::to_string(i) + ".wav");
        WriteToneWav(sounds.back(), 0.2);
    }
    auto play = [&](int i) {
        bool opened = channel->OpenFile(sounds[i % sounds.size()].c_str());
        channel->Run();
        Sleep(kPlayMs);
        return opened;
    };
    for (int i = 0; i < kOpens / 5; ++i)
        ASSERT_TRUE(play(i));
    ProcessCounts before = CountsOfThisProcess();
    for (int i = 0; i < kReopens; ++i)
        ASSERT_TRUE(play(i)) << "open " << i;
    ExpectNothingLeftByTheOpens(before, CountsOfThisProcess());
}

}  // namespace
