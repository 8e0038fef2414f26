#include <windows.h>

#include <gtest/gtest.h>

#include "agent_fixture.h"
#include "common/agent_state.h"
#include "fakes/fake_tick_clock.h"
#include "quavel/protocol.h"
#include "shell/agent_window.h"

class AgentWindow : public AgentFixture {};

TEST_F(AgentWindow, IsFoundByClassUntilDestroyed)
{
    EXPECT_TRUE(IsAgentRunning());
    EXPECT_EQ(AgentTitle(), "Quavel");
    DestroyAgentWindow();
    EXPECT_EQ(agent.agentWindow, (HWND)NULL);
    EXPECT_FALSE(IsAgentRunning());
}

TEST_F(AgentWindow, CloseCommandQuitsButKeepsTheWindow)
{
    EXPECT_EQ(SendMessageA(agent.agentWindow, WM_SYSCOMMAND, SC_CLOSE, 0), 0);
    EXPECT_TRUE(agent.quitRequested);
    EXPECT_TRUE(IsWindow(agent.agentWindow));
}

TEST_F(AgentWindow, OtherSystemCommandsDoNotQuit)
{
    SendMessageA(agent.agentWindow, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(agent.quitRequested);
    EXPECT_TRUE(IsWindow(agent.agentWindow));
}

// Their default handling would wait for a mouse or keyboard that a hidden
// window never gets: a hang here is the fault.
TEST_F(AgentWindow, SystemCommandsThatWaitForTheUserAreIgnored)
{
    for (WPARAM command : {SC_MOVE, SC_SIZE + 3, SC_MOUSEMENU, SC_KEYMENU, SC_HSCROLL, SC_VSCROLL,
                           SC_TASKLIST, SC_MOVE + 2, SC_CONTEXTHELP, SC_SCREENSAVE + 1}) {
        EXPECT_EQ(SendMessageA(agent.agentWindow, WM_SYSCOMMAND, command, 0), 0) << command;
    }
    EXPECT_FALSE(agent.quitRequested);
    EXPECT_TRUE(IsWindow(agent.agentWindow));
}

TEST_F(AgentWindow, QuitMessageDeliveredToTheWindowQuits)
{
    EXPECT_EQ(SendMessageA(agent.agentWindow, WM_QUIT, 0, 0), 0);
    EXPECT_TRUE(agent.quitRequested);
}

TEST_F(AgentWindow, DestructionQuits)
{
    DestroyWindow(agent.agentWindow);
    agent.agentWindow = NULL;
    EXPECT_TRUE(agent.quitRequested);
}

TEST_F(AgentWindow, PingStampsHostContact)
{
    SetFakeTick(kStartTick + 4321);
    EXPECT_EQ(SendMessageA(agent.agentWindow, QUAVEL_PING_MESSAGE, 7, 9), 0);
    EXPECT_EQ(agent.lastHostContact, kStartTick + 4321);
}

TEST_F(AgentWindow, TimerMessageRunsTheTick)
{
    agent.infoWindow = agent.agentWindow;
    SendMessageA(agent.agentWindow, WM_TIMER, 42, 0);
    EXPECT_EQ(AgentTitle(), ".");
}
