#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/serving_agent.h"
#include "harness/full_path.h"
#include "harness/wav_file.h"
#include "quavel/host.h"

// An agent whose current directory refuses new files (even to an
// administrator): it cannot log, and must serve all the same. The folder is
// prepared outside Windows by run-in-locked-directory, which names it in
// QUAVEL_LOCKED_DIR.
TEST(LockedDirectory, AgentThatCannotLogKeepsServing)
{
    char locked[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("QUAVEL_LOCKED_DIR", locked, sizeof locked);
    if (length == 0 || length >= sizeof locked)
        GTEST_SKIP() << "QUAVEL_LOCKED_DIR not set: run through run-in-locked-directory";
    WriteToneWav("tone.wav", 3.0);
    std::string tone = FullPath("tone.wav");

    char own[MAX_PATH];
    GetCurrentDirectoryA(sizeof own, own);
    ASSERT_TRUE(SetCurrentDirectoryA(locked));
    AgentProcess agent;
    SetCurrentDirectoryA(own);
    HWND window = agent.WaitForWindow(kStartBoundMs);
    ASSERT_NE(window, static_cast<HWND>(NULL));

    int reply = -1;
    ASSERT_EQ(QuavelSendCommand(window, HC_OpenFile, "missing.wav", kAnswerBoundMs, &reply), QUAVEL_OK);
    EXPECT_EQ(reply, 0);
    ASSERT_EQ(QuavelSendCommand(window, HC_OpenFile, tone.c_str(), kAnswerBoundMs, &reply), QUAVEL_OK);
    EXPECT_EQ(reply, 1);
    ASSERT_EQ(QuavelSendCommand(window, HC_GetDuration, NULL, kAnswerBoundMs, &reply), QUAVEL_OK);
    EXPECT_EQ(reply, 300);
    EXPECT_EQ(GetFileAttributesA((std::string(locked) + "\\quavellog.txt").c_str()),
              INVALID_FILE_ATTRIBUTES)
        << "the folder was not locked after all";

    ASSERT_EQ(QuavelSendCommand(window, HC_Quit, NULL, kAnswerBoundMs, &reply), QUAVEL_OK);
    DWORD exitCode = 0xDEAD;
    ASSERT_TRUE(agent.WaitForExit(kExitBoundMs, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}
