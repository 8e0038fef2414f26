#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "playback/playback_channel.h"
#include "support/log_file.h"
#include "support/process_counts.h"
#include "support/wav_file.h"

// PlaybackChannel on the platform's own DirectShow, playing into the test
// sound device. Bounds are generous: a loaded machine must not make these flake.
namespace {

const DWORD kTick = 50;

// Polls `condition` every tick until it holds or `limitMs` passes.
bool Eventually(const std::function<bool()>& condition, DWORD limitMs)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > limitMs)
            return false;
        Sleep(kTick);
    }
    return true;
}

class PlaybackChannelOnWine : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        WriteToneWav("three-seconds.wav", 3.0);
        WriteToneWav("half-second.wav", 0.5);
    }

    void SetUp() override
    {
        TakeLog();
        channel.reset(new PlaybackChannel());
    }

    std::unique_ptr<PlaybackChannel> channel;
};

TEST_F(PlaybackChannelOnWine, OpensAWavAndReportsItsDuration)
{
    ASSERT_TRUE(channel->OpenFile("three-seconds.wav"));
    EXPECT_NEAR(channel->GetDuration(), 3.0, 1e-6);
    EXPECT_EQ(channel->GetState(), 0);
    EXPECT_EQ(TakeLog(), "");
}

TEST_F(PlaybackChannelOnWine, MissingFileFailsWithTheThreeLogLines)
{
    EXPECT_FALSE(channel->OpenFile("no/such/file.wav"));
    EXPECT_EQ(channel->GetState(), -1);
    std::string log = TakeLog();
    EXPECT_EQ(log.rfind("OpenFile (0x", 0), 0u) << log;
    EXPECT_NE(log.find("): no\\such\\file.wav\r\nCurDir: (0x"), std::string::npos) << log;
    EXPECT_NE(log.find("\r\nMCBS  (0x"), std::string::npos) << log;
    EXPECT_EQ(log.substr(log.size() - 7), " 0000\r\n") << log;

    EXPECT_TRUE(channel->OpenFile("three-seconds.wav")) << "the channel recovers";
}

// Wine's graph leaves a thread behind for each missing file or folder it is
// asked to render: a few hundred such opens used to exhaust a 32-bit agent.
TEST_F(PlaybackChannelOnWine, RefusedOpensLeaveNoThreadsBehind)
{
    CreateDirectoryA("a-folder", NULL);
    ASSERT_TRUE(channel->OpenFile("three-seconds.wav"));
    int before = ThreadsOfThisProcess();
    for (int i = 0; i < 50; ++i) {
        EXPECT_FALSE(channel->OpenFile("missing.wav"));
        EXPECT_FALSE(channel->OpenFile("a-folder"));
    }
    ASSERT_TRUE(channel->OpenFile("three-seconds.wav"));
    // A few threads of the platform's pools may come and go.
    EXPECT_LE(ThreadsOfThisProcess(), before + 5);
    TakeLog();
}

TEST_F(PlaybackChannelOnWine, RunsStopsAndSeesTheEndComing)
{
    ASSERT_TRUE(channel->OpenFile("three-seconds.wav"));
    ASSERT_TRUE(channel->Run());
    EXPECT_TRUE(Eventually([&] { return channel->GetState() == 2; }, 2000));
    EXPECT_TRUE(channel->IsPlaying());

    channel->SetPosition(2.9);
    EXPECT_TRUE(Eventually([&] { return channel->GetState() == 1; }, 2000));
    EXPECT_FALSE(channel->IsPlaying());
    EXPECT_TRUE(channel->IsPausedOrDone());

    ASSERT_TRUE(channel->Stop());
    EXPECT_TRUE(Eventually([&] { return channel->GetState() == 0; }, 2000));
    EXPECT_TRUE(channel->IsStopped());
}

TEST_F(PlaybackChannelOnWine, SeeksAndPlaysOnFromTheNewPosition)
{
    ASSERT_TRUE(channel->OpenFile("three-seconds.wav"));
    channel->SetPosition(1.5);
    EXPECT_NEAR(channel->GetPosition(), 1.5, 0.01);

    channel->SetPosition(1.0);
    channel->Run();
    Sleep(500);
    EXPECT_NEAR(channel->GetPosition(), 1.5, 0.4);
    channel->Stop();
}

TEST_F(PlaybackChannelOnWine, VolumeReadsBackAsSet)
{
    ASSERT_TRUE(channel->OpenFile("three-seconds.wav"));
    for (int percent : {0, 1, 25, 50, 99, 100}) {
        channel->SetVolume(percent);
        EXPECT_EQ(channel->GetVolume(), percent);
    }
}

// The tick's loop service, called as the agent calls it, keeps a short clip
// wrapping: five wraps in a row, three rounds.
TEST_F(PlaybackChannelOnWine, LoopingWrapsAShortClipAgainAndAgain)
{
    const int kWraps = 5;
    const DWORD kRoundLimitMs = 20000;
    ASSERT_TRUE(channel->OpenFile("half-second.wav"));
    channel->SetLoop(true);
    for (int round = 0; round < 3; ++round) {
        channel->Rewind();
        channel->Run();
        int wraps = 0;
        double last = channel->GetPosition();
        DWORD start = GetTickCount();
        while (wraps < kWraps && GetTickCount() - start < kRoundLimitMs) {
            Sleep(kTick);
            channel->ServiceLoop();
            double now = channel->GetPosition();
            if (now < last - 0.2)
                ++wraps;
            last = now;
        }
        channel->Stop();
        EXPECT_EQ(wraps, kWraps) << "round " << round << ": looping stalled";
    }
}

}  // namespace
