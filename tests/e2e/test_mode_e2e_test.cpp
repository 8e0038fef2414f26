#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/serving_agent.h"
#include "harness/log_file.h"
#include "harness/started_program.h"
#include "harness/wav_file.h"
#include "message_box.h"
#include "quavel/protocol.h"

namespace {

const char kCaption[] = "Playing...";
const DWORD kPlayMs = 2000;
const DWORD kPlayFloorMs = 1900;

}  // namespace

// Blanks between program name and file are skipped; everything after, tabs
// and trailing blanks included, is the text and the path.
TEST(TestMode, ShowsTheTailVerbatimAndLogsAnUnplayableFile)
{
    TakeLog();
    AgentProcess agent(" \t no such\tfile.wav \t ");
    HWND box = WaitForMessageBox(agent.id(), kCaption, kStartBoundMs);
    ASSERT_NE(box, (HWND)NULL);
    EXPECT_EQ(MessageBoxText(box), "no such\tfile.wav \t ");
    EXPECT_EQ(FindWindowA(QUAVEL_WINDOW_CLASS, NULL), (HWND)NULL) << "test mode makes no window";

    CloseMessageBox(box);
    DWORD exitCode = 0xDEAD;
    ASSERT_TRUE(agent.WaitForExit(kExitBoundMs, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    std::string log = TakeLog();
    EXPECT_EQ(log.rfind("OpenFile (0x", 0), 0u) << log;
    EXPECT_NE(log.find("): no such\tfile.wav \t \r\nCurDir: (0x"), std::string::npos) << log;
    EXPECT_NE(log.find("\r\nMCBS  (0x"), std::string::npos) << log;
}

// Also run while the sound device is recorded, to hear the two seconds.
TEST(TestMode, PlaysTheFileForTwoSecondsAfterTheBoxIsClosed)
{
    WriteToneWav("test-mode.wav", 5.0);
    AgentProcess agent(" test-mode.wav");
    HWND box = WaitForMessageBox(agent.id(), kCaption, kStartBoundMs);
    ASSERT_NE(box, (HWND)NULL);
    EXPECT_EQ(MessageBoxText(box), "test-mode.wav");
    Sleep(500);
    EXPECT_FALSE(agent.HasExited()) << "waits for the box";

    DWORD closed = GetTickCount();
    CloseMessageBox(box);
    DWORD exitCode = 0xDEAD;
    ASSERT_TRUE(agent.WaitForExit(kPlayMs + kExitBoundMs, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_GE(MsSince(closed), kPlayFloorMs);
}
