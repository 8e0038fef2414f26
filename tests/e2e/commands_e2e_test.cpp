#include <windows.h>

#include <gtest/gtest.h>

#include "e2e/serving_agent.h"
#include "quavel/host.h"

using Commands = ServingAgent;

TEST_F(Commands, ReplyThroughTheWindowOnEitherChannel)
{
    EXPECT_EQ(Send(HC_GetState), -1);
    EXPECT_EQ(Send(HC_OpenFile, tone.c_str()), 1);
    EXPECT_EQ(Send(HC_SetVolume, "50"), 50);
    EXPECT_EQ(Send(HC_GetVolume), 50);
    EXPECT_EQ(Send(HC_GetDuration), 300);

    EXPECT_EQ(Send(33, shortTone.c_str()), 1) << "code 33 opens on channel 2";
    EXPECT_EQ(Send(HC_GetDuration + QUAVEL_SECOND_CHANNEL), 100);
    EXPECT_EQ(Send(HC_GetState + QUAVEL_SECOND_CHANNEL), 0);
    EXPECT_EQ(Send(19), 0);
    EXPECT_EQ(Send(HC_OpenFile, "no such file.wav"), 0);
}

// The host fills the byte count; text past it, or past a NUL, is not read.
TEST_F(Commands, TextEndsAtTheByteCountOrTheFirstNul)
{
    ASSERT_EQ(Send(HC_OpenFile, tone.c_str()), 1);
    char digits[] = {'2', '5', '0', '0'};
    COPYDATASTRUCT payload = {HC_SetVolume, 2, digits};
    DWORD_PTR reply = 0;
    ASSERT_TRUE(SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&payload),
                                    SMTO_ABORTIFHUNG, QUAVEL_DEFAULT_TIMEOUT_MS, &reply));
    EXPECT_EQ(static_cast<int>(reply), 25);

    char early[] = "75\0" "00";
    payload.cbData = sizeof early;
    payload.lpData = early;
    ASSERT_TRUE(SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&payload),
                                    SMTO_ABORTIFHUNG, QUAVEL_DEFAULT_TIMEOUT_MS, &reply));
    EXPECT_EQ(static_cast<int>(reply), 75);
    EXPECT_EQ(Send(HC_GetVolume), 75);
}

TEST_F(Commands, HostHeaderTellsNoAgentFromAReplyOfZero)
{
    int reply = -7;
    EXPECT_EQ(QuavelSendCommand(window, HC_Run, NULL, QUAVEL_DEFAULT_TIMEOUT_MS, &reply), QUAVEL_OK);
    EXPECT_EQ(reply, 0);
    DWORD quitToGone = 0;
    EXPECT_EQ(QuitAndWait(&quitToGone), 0u);
    EXPECT_EQ(QuavelFindAgent(), (HWND)NULL);
    EXPECT_EQ(QuavelSendCommand(window, HC_Run, NULL, 500, &reply), QUAVEL_NO_AGENT);
    EXPECT_EQ(QuavelPing(QuavelFindAgent(), 500), QUAVEL_NO_AGENT);
}
