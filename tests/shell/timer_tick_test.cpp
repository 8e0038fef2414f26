#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "agent_fixture.h"
#include "common/agent_state.h"
#include "fakes/fake_tick_clock.h"
#include "quavel/protocol.h"
#include "shell/timer_tick.h"

namespace {

const DWORD kTickMs = 50;

void TickAt(DWORD now)
{
    SetFakeTick(now);
    OnTimerTick();
}

void PingAt(DWORD now)
{
    SetFakeTick(now);
    SendMessageA(agent.agentWindow, QUAVEL_PING_MESSAGE, 0, 0);
}

}  // namespace

class TimerTick : public AgentFixture {
protected:
    // Any window of this process stands in for the host's.
    void RegisterHostWindow() { agent.infoWindow = agent.agentWindow; }
};

TEST_F(TimerTick, WithoutRegisteredWindowNeverWatchesNorRetitles)
{
    TickAt(kStartTick + 60000);
    EXPECT_EQ(AgentTitle(), "Quavel");
}

TEST_F(TimerTick, FiresOnlyAfterMoreThanOneSecondOfSilence)
{
    RegisterHostWindow();
    TickAt(kStartTick + 1000);
    EXPECT_EQ(agent.infoWindow, agent.agentWindow);
    EXPECT_EQ(AgentTitle(), ".");

    TickAt(kStartTick + 1001);
    EXPECT_EQ(agent.infoWindow, (HWND)NULL);
}

TEST_F(TimerTick, PingsEveryHalfSecondKeepItQuietUntilTheyStop)
{
    RegisterHostWindow();
    DWORD now = kStartTick;
    for (; now < kStartTick + 5000; now += kTickMs) {
        if ((now - kStartTick) % 500 == 0)
            PingAt(now);
        TickAt(now);
        ASSERT_EQ(agent.infoWindow, agent.agentWindow) << "fired at +" << now - kStartTick;
    }
    DWORD lastPing = now - kTickMs - 450;
    for (; agent.infoWindow; now += kTickMs)
        TickAt(now);
    DWORD firedAt = now - kTickMs;
    EXPECT_GT(firedAt - lastPing, 1000u);
    EXPECT_LE(firedAt - lastPing, 1000u + kTickMs);
}

TEST_F(TimerTick, SilenceIsMeasuredAcrossTheCounterWrap)
{
    RegisterHostWindow();
    agent.lastHostContact = 0xFFFFFF00u;
    TickAt(0xFFFFFF00u + 1000);
    EXPECT_EQ(agent.infoWindow, agent.agentWindow);
    TickAt(0xFFFFFF00u + 1001);
    EXPECT_EQ(agent.infoWindow, (HWND)NULL);
}

TEST_F(TimerTick, RegisteringAgainRearms)
{
    RegisterHostWindow();
    TickAt(kStartTick + 2000);
    ASSERT_EQ(agent.infoWindow, (HWND)NULL);

    SetFakeTick(kStartTick + 2100);
    std::string number =
        std::to_string(static_cast<int>(reinterpret_cast<LONG_PTR>(agent.agentWindow)));
    COPYDATASTRUCT payload = {HC_InfoWindow, static_cast<DWORD>(number.size() + 1),
                              const_cast<char*>(number.c_str())};
    SendMessageA(agent.agentWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&payload));
    TickAt(kStartTick + 3000);
    EXPECT_EQ(agent.infoWindow, agent.agentWindow);
    TickAt(kStartTick + 3101);
    EXPECT_EQ(agent.infoWindow, (HWND)NULL);
}

TEST_F(TimerTick, WhileQuittingNeitherWatchesNorRetitlesButStillLoops)
{
    RegisterHostWindow();
    LoadFile(graph1, *agent.channel1, 2.0, State_Running);
    agent.channel1->SetLoop(true);
    graph1->position = 2.0;
    agent.quitRequested = true;

    TickAt(kStartTick + 5000);
    EXPECT_EQ(agent.infoWindow, agent.agentWindow);
    EXPECT_EQ(AgentTitle(), "Quavel");
    EXPECT_EQ(graph1->position, 0.0);
}

TEST_F(TimerTick, ServicesBothChannels)
{
    LoadFile(graph1, *agent.channel1, 2.0, State_Running);
    LoadFile(graph2, *agent.channel2, 1.0, State_Running);
    agent.channel2->SetLoop(true);
    graph1->position = 2.0;
    graph2->position = 1.0;

    TickAt(kStartTick + kTickMs);
    EXPECT_EQ(graph1->position, 2.0) << "not looping: stays at its end";
    EXPECT_EQ(graph2->position, 0.0);
}

// Freed handle slots are reused, so a leak shows as fresh handles climbing.
// A thousand register-and-expire cycles, each opening the host process.
TEST_F(TimerTick, RepeatedFiringsLeakNoHandles)
{
    HANDLE self = OpenProcess(0x1F0FFF, FALSE, GetCurrentProcessId());
    ASSERT_NE(self, (HANDLE)NULL) << "the watchdog could not open its host here";
    CloseHandle(self);

    HANDLE before = CreateEventA(NULL, FALSE, FALSE, NULL);
    CloseHandle(before);
    for (DWORD firing = 1; firing <= 1000; ++firing) {
        RegisterHostWindow();
        TickAt(kStartTick + firing * 2000);
        ASSERT_EQ(agent.infoWindow, (HWND)NULL);
    }
    HANDLE after = CreateEventA(NULL, FALSE, FALSE, NULL);
    CloseHandle(after);
    EXPECT_LT(reinterpret_cast<UINT_PTR>(after), reinterpret_cast<UINT_PTR>(before) + 50 * sizeof(HANDLE));
}
