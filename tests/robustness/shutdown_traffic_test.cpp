#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "e2e/serving_agent.h"
#include "harness/full_path.h"
#include "harness/wav_file.h"
#include "quavel/host.h"

// A host that keeps sending while the agent quits: the fade runs to its end,
// the agent exits with 0, and the host's sends fail cleanly (never hang,
// never a wrong answer) once the window is gone.
namespace {

const UINT kTrafficTimeoutMs = 300;
const DWORD kFadeFloorMs = 4500;
// A send may take its timeout plus scheduling on a loaded machine.
const DWORD kLongestSendMs = kTrafficTimeoutMs + 2000;

struct Traffic {
    std::atomic<bool> stop{false};
    std::atomic<int> answered{0};
    std::atomic<int> wrongAnswers{0};
    std::atomic<int> timedOut{0};
    std::atomic<int> noAgent{0};
    std::atomic<DWORD> longestSendMs{0};
};

void SendUntilStopped(HWND window, Traffic* traffic)
{
    while (!traffic->stop) {
        DWORD start = GetTickCount();
        int reply = -9;
        QuavelStatus status = QuavelSendCommand(window, HC_GetState, NULL, kTrafficTimeoutMs, &reply);
        DWORD took = MsSince(start);
        if (took > traffic->longestSendMs)
            traffic->longestSendMs = took;
        if (status == QUAVEL_OK) {
            ++traffic->answered;
            if (reply < 0 || reply > 2)
                ++traffic->wrongAnswers;
        } else if (status == QUAVEL_TIMED_OUT) {
            ++traffic->timedOut;
        } else {
            ++traffic->noAgent;
            Sleep(10);
        }
    }
}

using ShutdownUnderTraffic = ServingAgent;

TEST_F(ShutdownUnderTraffic, FadeCompletesAndSendsFailCleanlyAfterwards)
{
    WriteToneWav("long.wav", 20.0);
    ASSERT_EQ(Send(HC_OpenFile, FullPath("long.wav").c_str()), 1);
    Send(HC_Run);
    Sleep(500);
    ASSERT_EQ(Send(HC_IsPlaying), 1);

    Traffic traffic;
    std::thread host(SendUntilStopped, window, &traffic);
    Sleep(300);
    DWORD quitAt = GetTickCount();
    int reply = 0;
    ASSERT_EQ(QuavelSendCommand(window, HC_Quit, NULL, kAnswerBoundMs, &reply), QUAVEL_OK);
    DWORD exitCode = 0xDEAD;
    bool ended = agentProcess.WaitForExit(kExitBoundMs, &exitCode);
    DWORD quitToGone = MsSince(quitAt);
    Sleep(500);
    traffic.stop = true;
    host.join();

    ASSERT_TRUE(ended) << "agent did not end under traffic";
    EXPECT_EQ(exitCode, 0u);
    EXPECT_GE(quitToGone, kFadeFloorMs) << "the fade was cut short";
    EXPECT_GT(traffic.answered.load(), 0);
    EXPECT_EQ(traffic.wrongAnswers.load(), 0);
    EXPECT_GT(traffic.timedOut.load(), 0) << "sends during the fade should time out";
    EXPECT_GT(traffic.noAgent.load(), 0) << "sends after the end should find no agent";
    EXPECT_LE(traffic.longestSendMs.load(), kLongestSendMs) << "a send hung";
}

}  // namespace
