#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "e2e/serving_agent.h"
#include "quavel/host.h"

// Agents started at the same moment: exactly one serves, the others leave
// with exit code 0.
TEST(StartupRace, ExactlyOneOfFourServes)
{
    const int kAgents = 4;
    std::vector<std::unique_ptr<AgentProcess>> agents;
    for (int i = 0; i < kAgents; ++i)
        agents.emplace_back(new AgentProcess());

    int exited = 0;
    DWORD start = GetTickCount();
    while (exited < kAgents - 1 && MsSince(start) < kStartBoundMs + kExitBoundMs) {
        Sleep(100);
        exited = 0;
        for (const auto& agent : agents)
            exited += agent->HasExited() ? 1 : 0;
    }
    ASSERT_EQ(exited, kAgents - 1) << "agents still running besides one";

    AgentProcess* server = nullptr;
    for (const auto& agent : agents) {
        DWORD exitCode = 0xDEAD;
        if (agent->WaitForExit(0, &exitCode))
            EXPECT_EQ(exitCode, 0u);
        else
            server = agent.get();
    }
    ASSERT_NE(server, nullptr);
    HWND window = server->WaitForWindow(kStartBoundMs);
    ASSERT_NE(window, static_cast<HWND>(NULL)) << "the remaining agent does not serve";
    EXPECT_EQ(QuavelFindAgent(), window);

    int reply = 0;
    ASSERT_EQ(QuavelSendCommand(window, HC_Quit, NULL, kAnswerBoundMs, &reply), QUAVEL_OK);
    DWORD exitCode = 0xDEAD;
    ASSERT_TRUE(server->WaitForExit(kExitBoundMs, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}
