#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/serving_agent.h"
#include "harness/sibling_program.h"
#include "harness/window_title.h"
#include "host_stub.h"
#include "quavel/host.h"

// A host that dies while registered: the watchdog fires once, disarms, and
// the agent serves on.
namespace {

const DWORD kBeyondSilenceLimitMs = 1600;
const DWORD kSeveralTicksMs = 400;
const int kCycles = 5;

// The tick rewrites the title to "." only while a host window is registered:
// overwrite it and see whether it comes back.
bool WatchdogArmed(HWND agentWindow)
{
    SetWindowTextA(agentWindow, "probe");
    Sleep(kSeveralTicksMs);
    return TitleOf(agentWindow) == ".";
}

using HostFaults = ServingAgent;

TEST_F(HostFaults, KilledHostDisarmsTheWatchdogOnceAndTheAgentServesOn)
{
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        SCOPED_TRACE(testing::Message() << "cycle " << cycle);
        StartedProgram host(QuotedSiblingProgram("robustness_host_stub.exe"));
        HWND hostWindow = host.WaitForWindow(HOST_STUB_WINDOW_CLASS, kStartBoundMs);
        ASSERT_NE(hostWindow, static_cast<HWND>(NULL)) << "stand-in host did not start";
        std::string number = std::to_string(static_cast<int>(reinterpret_cast<LONG_PTR>(hostWindow)));
        ASSERT_EQ(Send(HC_InfoWindow, number.c_str()), 1);
        EXPECT_TRUE(WatchdogArmed(window));

        host.Kill(kExitBoundMs);

        Sleep(kBeyondSilenceLimitMs);
        EXPECT_FALSE(WatchdogArmed(window)) << "the watchdog should have fired and disarmed";
        EXPECT_FALSE(WatchdogArmed(window)) << "and stayed disarmed";
        EXPECT_EQ(Send(HC_GetState), -1) << "the agent serves on";
    }
    QuitAndExpectCleanExit();
}

}  // namespace
