#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/serving_agent.h"
#include "harness/window_title.h"
#include "quavel/host.h"

namespace {

const DWORD kPingEveryMs = 500;
const DWORD kPingingMs = 3000;
const DWORD kSilenceLimitMs = 1000;
const DWORD kFiringBoundMs = 3000;
const DWORD kEarliestSlackMs = 200;
// A title the agent itself never sets.
const char kProbe[] = "probe";
// Several ticks: a title still showing the probe after this was not reset.
const DWORD kResetWithinMs = 400;

}  // namespace

// Each tick that runs the watchdog also sets the title to ".", so while a
// host window is registered a probe title written from outside is reset
// within a tick or two; once the watchdog has fired, it stays.
class Watchdog : public ServingAgent {
protected:
    void SetUp() override
    {
        ServingAgent::SetUp();
        hostWindow = CreateWindowExA(0, "STATIC", "host", 0, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
        ASSERT_NE(hostWindow, (HWND)NULL);
    }
    void TearDown() override { DestroyWindow(hostWindow); }

    void Register()
    {
        std::string number = std::to_string(static_cast<int>(reinterpret_cast<LONG_PTR>(hostWindow)));
        ASSERT_EQ(Send(HC_InfoWindow, number.c_str()), 1);
    }

    // True when the agent's tick puts its own title back over the probe.
    bool TickStillRetitles()
    {
        SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kProbe));
        DWORD start = GetTickCount();
        while (MsSince(start) < kResetWithinMs) {
            if (TitleOf(window) == ".")
                return true;
            Sleep(10);
        }
        return false;
    }

    HWND hostWindow = NULL;
};

TEST_F(Watchdog, TitleStaysUntilAHostWindowIsRegistered)
{
    Sleep(300);
    EXPECT_EQ(TitleOf(window), "Quavel");
    Register();
    EXPECT_TRUE(TickStillRetitles());
}

TEST_F(Watchdog, PingsKeepItQuietAndItFiresAfterOneSecondOfSilence)
{
    Register();
    DWORD start = GetTickCount();
    DWORD lastPing = 0;
    while (MsSince(start) < kPingingMs) {
        ASSERT_EQ(QuavelPing(window, QUAVEL_DEFAULT_TIMEOUT_MS), QUAVEL_OK);
        lastPing = GetTickCount();
        ASSERT_TRUE(TickStillRetitles()) << "fired while pinged, at " << MsSince(start) << " ms";
        while (MsSince(lastPing) < kPingEveryMs)
            Sleep(10);
    }

    DWORD lastRetitle = 0;
    while (TickStillRetitles()) {
        lastRetitle = MsSince(lastPing);
        ASSERT_LT(lastRetitle, kFiringBoundMs) << "never fired";
    }
    // The last reset seen comes from the firing tick or the one before it.
    EXPECT_GE(lastRetitle, kSilenceLimitMs - kEarliestSlackMs) << "fired too early";

    // Disarmed: it stays silent however long the host does.
    Sleep(500);
    EXPECT_FALSE(TickStillRetitles());
}

TEST_F(Watchdog, CommandsCountAsContact)
{
    Register();
    DWORD start = GetTickCount();
    while (MsSince(start) < kPingingMs) {
        Send(HC_GetState);
        ASSERT_TRUE(TickStillRetitles()) << "fired while commanded, at " << MsSince(start) << " ms";
        Sleep(kPingEveryMs - kResetWithinMs / 2);
    }
}
