#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "live_agent.h"
#include "quavel/host.h"

// A host that dies while registered: the watchdog fires once, disarms, and
// the agent serves on.
namespace {

const DWORD kBeyondSilenceLimitMs = 1600;
const DWORD kSeveralTicksMs = 400;
const int kCycles = 5;

// Starts the stand-in host and returns its window.
HWND StartHostStub(PROCESS_INFORMATION* process)
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof path);
    std::string program(path);
    program = program.substr(0, program.find_last_of('\\') + 1) + "robustness_host_stub.exe";
    std::vector<char> line(program.begin(), program.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(program.c_str(), line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                        process))
        return NULL;
    for (DWORD waited = 0; waited < kAgentStartBoundMs; waited += 50) {
        HWND window = FindWindowA("QuavelTestHost", NULL);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (window && owner == process->dwProcessId)
            return window;
        Sleep(50);
    }
    return NULL;
}

std::string TitleOf(HWND window)
{
    char title[64] = "";
    GetWindowTextA(window, title, sizeof title);
    return title;
}

// The tick rewrites the title to "." only while a host window is registered:
// overwrite it and see whether it comes back.
bool WatchdogArmed(HWND agentWindow)
{
    SetWindowTextA(agentWindow, "probe");
    Sleep(kSeveralTicksMs);
    return TitleOf(agentWindow) == ".";
}

using HostFaults = LiveAgent;

TEST_F(HostFaults, KilledHostDisarmsTheWatchdogOnceAndTheAgentServesOn)
{
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        SCOPED_TRACE(testing::Message() << "cycle " << cycle);
        PROCESS_INFORMATION host = {};
        HWND hostWindow = StartHostStub(&host);
        ASSERT_NE(hostWindow, static_cast<HWND>(NULL)) << "stand-in host did not start";
        std::string number = std::to_string(static_cast<int>(reinterpret_cast<LONG_PTR>(hostWindow)));
        ASSERT_EQ(Send(HC_InfoWindow, number.c_str()), 1);
        EXPECT_TRUE(WatchdogArmed(window));

        TerminateProcess(host.hProcess, 1);
        WaitForSingleObject(host.hProcess, kAgentExitBoundMs);
        CloseHandle(host.hThread);
        CloseHandle(host.hProcess);

        Sleep(kBeyondSilenceLimitMs);
        EXPECT_FALSE(WatchdogArmed(window)) << "the watchdog should have fired and disarmed";
        EXPECT_FALSE(WatchdogArmed(window)) << "and stayed disarmed";
        EXPECT_EQ(Send(HC_GetState), -1) << "the agent serves on";
    }
    QuitAndExpectCleanExit();
}

}  // namespace
