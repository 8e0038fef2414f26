#include <windows.h>

#include <gtest/gtest.h>

#include "e2e/serving_agent.h"
#include "harness/sibling_program.h"
#include "quavel/host.h"

namespace {

// A fade from 100 percent is 50 steps of 100 ms; a prompt exit is far below.
const DWORD kFullFadeMs = 5000;
const DWORD kFadeFloorMs = 4500;
const DWORD kPromptExitBoundMs = 3500;

}  // namespace

using Lifecycle = ServingAgent;

TEST_F(Lifecycle, CloseCommandQuitsMinimizeDoesNot)
{
    SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Sleep(300);
    EXPECT_FALSE(agentProcess.HasExited());
    EXPECT_EQ(QuavelPing(window, QUAVEL_DEFAULT_TIMEOUT_MS), QUAVEL_OK);

    EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0), 0);
    DWORD exitCode = 0xDEAD;
    ASSERT_TRUE(agentProcess.WaitForExit(kExitBoundMs, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

TEST_F(Lifecycle, SecondAgentLeavesAtOnceAndTheFirstKeepsServing)
{
    ASSERT_EQ(Send(HC_OpenFile, tone.c_str()), 1);
    ASSERT_EQ(Send(HC_SetVolume, "75"), 75);

    AgentProcess second;
    DWORD exitCode = 0xDEAD;
    ASSERT_TRUE(second.WaitForExit(kExitBoundMs, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(QuavelFindAgent(), window);
    EXPECT_EQ(Send(HC_GetVolume), 75);
}

TEST_F(Lifecycle, QuitWhilePlayingFadesChannelOneThenLeaves)
{
    ASSERT_EQ(Send(HC_OpenFile, longTone.c_str()), 1);
    ASSERT_EQ(Send(HC_OpenFile + QUAVEL_SECOND_CHANNEL, longTone.c_str()), 1);
    Send(HC_Run);
    Send(HC_Run + QUAVEL_SECOND_CHANNEL);
    Sleep(500);
    ASSERT_EQ(Send(HC_IsPlaying), 1);

    DWORD start = GetTickCount();
    ASSERT_EQ(Send(HC_Quit), 1);
    Sleep(1000);
    int reply = 0;
    EXPECT_EQ(QuavelSendCommand(window, HC_GetVolume, NULL, 300, &reply), QUAVEL_TIMED_OUT)
        << "no messages are processed during the fade";

    DWORD exitCode = 0xDEAD;
    ASSERT_TRUE(agentProcess.WaitForExit(kFullFadeMs + kExitBoundMs, &exitCode));
    DWORD took = MsSince(start);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_GE(took, kFadeFloorMs);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(Lifecycle, QuitWithChannelOneStoppedLeavesPromptly)
{
    ASSERT_EQ(Send(HC_OpenFile, longTone.c_str()), 1);
    Send(HC_Run);
    Sleep(300);
    Send(HC_Stop);
    DWORD took = 0;
    EXPECT_EQ(QuitAndWait(&took), 0u);
    EXPECT_LT(took, kPromptExitBoundMs);
}

TEST_F(Lifecycle, QuitNearTheEndOfChannelOneLeavesPromptly)
{
    ASSERT_EQ(Send(HC_OpenFile, shortTone.c_str()), 1);
    Send(HC_Run);
    DWORD start = GetTickCount();
    while (Send(HC_IsPausedOrDone) == 0 && MsSince(start) < kExitBoundMs)
        Sleep(20);
    ASSERT_EQ(Send(HC_IsPlaying), 0);
    DWORD took = 0;
    EXPECT_EQ(QuitAndWait(&took), 0u);
    EXPECT_LT(took, kPromptExitBoundMs);
}

// A host's whole lifecycle through host.h alone: the agent started by its
// path and answering, then quit and waited out until it has gone.
TEST(HostLifecycle, StartAgentAnswersAndWaitForAgentExitSeesItGo)
{
    HWND window = NULL;
    ASSERT_EQ(QuavelStartAgent(SiblingProgram("quavel.exe").c_str(), kStartBoundMs, &window),
              QUAVEL_OK);
    EXPECT_EQ(window, QuavelFindAgent());
    int reply = 0;
    ASSERT_EQ(QuavelSendCommand(window, HC_Quit, NULL, QUAVEL_DEFAULT_TIMEOUT_MS, &reply), QUAVEL_OK);
    EXPECT_EQ(QuavelWaitForAgentExit(window, kExitBoundMs), QUAVEL_OK);
    EXPECT_EQ(QuavelFindAgent(), static_cast<HWND>(NULL));
    EXPECT_EQ(QuavelStartAgent("no-such-agent.exe", 1000, &window), QUAVEL_NO_AGENT);
}
