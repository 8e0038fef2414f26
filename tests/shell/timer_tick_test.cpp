#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "agent_fixture.h"
#include "common/agent_state.h"
#include "playback/playback_channel.h"
#include "fakes/fake_reference_clock.h"
#include "fakes/fake_tick_clock.h"
#include "quavel/protocol.h"
#include "shell/timer_tick.h"

namespace {

const DWORD kTickMs = 50;

void TickAt(DWORD now)
{
    SetFakeTick(now);
    OnTimerTick(kTickTimerId);
}

void WakeUpAt(DWORD now)
{
    SetFakeTick(now);
    OnTimerTick(kLoopWakeUpTimerId);
}

// Kills the wake-up if it is set: the answer tells whether it was.
bool TakeWakeUp()
{
    return KillTimer(agent.agentWindow, kLoopWakeUpTimerId) != 0;
}

// Waits for the agent window's next loop wake-up message, leaving it
// undispatched; false if none comes within `limitMs`.
bool NextWakeUp(DWORD limitMs, MSG* message)
{
    DWORD start = GetTickCount();
    do {
        if (PeekMessageA(message, agent.agentWindow, WM_TIMER, WM_TIMER, PM_REMOVE)) {
            if (message->wParam == kLoopWakeUpTimerId)
                return true;
            continue;
        }
        Sleep(1);
    } while (GetTickCount() - start < limitMs);
    return false;
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

// A looping channel two seconds long, run at the start: its next pass is
// presented from +2020 ms in the second graph, and the first graph is due for
// the pass after 20 ms later.
const LONGLONG kFirstServiceMs = 20 + 2000 + 20;

TEST_F(TimerTick, WhileQuittingNeitherWatchesNorRetitlesButStillLoops)
{
    RegisterHostWindow();
    LoadFile(graph1, *agent.channel1, 2.0, true);
    RunAtStart(*agent.channel1);
    agent.quitRequested = true;

    SetFakeClockMs(kStartClockMs + kFirstServiceMs);
    TickAt(kStartTick + 5000);
    EXPECT_EQ(agent.infoWindow, agent.agentWindow);
    EXPECT_EQ(AgentTitle(), "Quavel");
    EXPECT_EQ(graph1->startsMs.size(), 2u) << "cued for the pass after next";
}

TEST_F(TimerTick, ServicesBothChannels)
{
    LoadFile(graph1, *agent.channel1, 2.0, true);
    LoadFile(graph2, *agent.channel2, 2.0, true);
    RunAtStart(*agent.channel1);
    RunAtStart(*agent.channel2);

    SetFakeClockMs(kStartClockMs + kFirstServiceMs);
    TickAt(kStartTick + kTickMs);
    EXPECT_EQ(graph1->startsMs.size(), 2u);
    EXPECT_EQ(graph2->startsMs.size(), 2u);
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

class LoopWakeUp : public AgentFixture {
protected:
    // Channel 1 loops a two-second clip, run at the start; the agent's clock
    // stands `leftMs` before its first service.
    void PlayLoopingClip(double leftMs)
    {
        LoadFile(graph1, *agent.channel1, 2.0, true);
        RunAtStart(*agent.channel1);
        ClockBeforeService(leftMs);
    }
    static void ClockBeforeService(double leftMs)
    {
        SetFakeClockMs(kStartClockMs + kFirstServiceMs - static_cast<LONGLONG>(leftMs));
    }
};

TEST_F(LoopWakeUp, IsArmedOnlyForARunningLoopingChannelWhoseServiceComesBeforeTheNextTick)
{
    const struct {
        const char* what;
        double leftMs;
        bool armed;
    } cases[] = {
        {"due in 20 ms", 20, true},
        {"due in 3 ms", 3, true},
        {"due in 49 ms", 49, true},
        {"due just after the next tick", 51, false},
        {"due far away", 500, false},
    };
    PlayLoopingClip(0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClockBeforeService(c.leftMs);
        TickAt(kStartTick + kTickMs);
        EXPECT_EQ(agent.loopWakeUpArmed, c.armed);
        EXPECT_EQ(TakeWakeUp(), c.armed);
        agent.loopWakeUpArmed = false;
    }

    ClockBeforeService(20);
    agent.channel1->SetLoop(false);
    TickAt(kStartTick + kTickMs);
    EXPECT_FALSE(TakeWakeUp()) << "not looping";
    agent.channel1->SetLoop(true);
    agent.channel1->Stop();
    TickAt(kStartTick + kTickMs);
    EXPECT_FALSE(TakeWakeUp()) << "stopped";
}

TEST_F(LoopWakeUp, EitherChannelArmsItAndAClosedOneNever)
{
    PlayLoopingClip(20);
    agent.channel1->Close();
    TickAt(kStartTick + kTickMs);
    EXPECT_FALSE(TakeWakeUp());

    LoadFile(graph2, *agent.channel2, 2.0, true);
    RunAtStart(*agent.channel2);
    ClockBeforeService(20);
    TickAt(kStartTick + 2 * kTickMs);
    EXPECT_TRUE(TakeWakeUp());
}

// An empty clip's passes come a lead apart: the tick keeps it going, with no
// wake-up spinning between.
TEST_F(LoopWakeUp, IsNotSpunOnAnEmptyClip)
{
    FakeFilterGraph* second = nullptr;
    LoadFile(graph1, *agent.channel1, 0.0, true, &second);
    RunAtStart(*agent.channel1);
    SetFakeClockMs(kStartClockMs + 200);
    TickAt(kStartTick + kTickMs);
    EXPECT_EQ(graph1->startsMs.size() + second->startsMs.size(), 3u) << "the tick plays it again";
    EXPECT_FALSE(TakeWakeUp());
}

TEST_F(LoopWakeUp, IsDisarmedByTheFirstTickThatFindsNoServiceDue)
{
    PlayLoopingClip(20);
    TickAt(kStartTick + kTickMs);
    ASSERT_TRUE(agent.loopWakeUpArmed);

    agent.channel1->Stop();
    TickAt(kStartTick + 2 * kTickMs);
    EXPECT_FALSE(agent.loopWakeUpArmed);
    EXPECT_FALSE(TakeWakeUp()) << "a host's stop leaves nothing to wake up for";
}

// The wake-up services the loop but leaves the watchdog and the title to
// the tick: a host that has gone quiet is judged on the tick's pace only.
TEST_F(LoopWakeUp, ServicesTheLoopWithoutWatchingTheHost)
{
    agent.infoWindow = agent.agentWindow;
    PlayLoopingClip(0);
    graph1->calls.clear();

    WakeUpAt(kStartTick + 5000);
    EXPECT_EQ(graph1->calls,
              (std::vector<std::string>{"Stop", "Pause", "Seek 0", "Run at 1004020"}));
    EXPECT_EQ(agent.infoWindow, agent.agentWindow);
    EXPECT_EQ(AgentTitle(), "Quavel");
    EXPECT_FALSE(TakeWakeUp()) << "the next service is a whole clip away";

    TickAt(kStartTick + 5000);
    EXPECT_EQ(agent.infoWindow, (HWND)NULL);
    EXPECT_EQ(AgentTitle(), ".");
}

// Through the real window timer: the wake-up comes, services the loop that
// has meanwhile come due, and does not come again.
TEST_F(LoopWakeUp, FiresOnceForEachService)
{
    const DWORD kArrivalLimitMs = 5000;
    const DWORD kRepeatWatchMs = 300;
    PlayLoopingClip(20);
    TickAt(kStartTick + kTickMs);

    MSG message = {};
    ASSERT_TRUE(NextWakeUp(kArrivalLimitMs, &message)) << "the wake-up never came";
    ClockBeforeService(0);
    graph1->calls.clear();
    DispatchMessageA(&message);
    EXPECT_EQ(graph1->calls,
              (std::vector<std::string>{"Stop", "Pause", "Seek 0", "Run at 1004020"}));

    EXPECT_FALSE(NextWakeUp(kRepeatWatchMs, &message)) << "a wake-up with no service due";
    EXPECT_FALSE(agent.loopWakeUpArmed);
}

// An end a registered host is to be told of, due between two ticks, arms
// the wake-up, which tells it on time and is not armed again.
TEST_F(LoopWakeUp, IsArmedForAnEndAHostIsToBeToldOf)
{
    const UINT kTold = WM_APP + 3;
    HWND host = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    ASSERT_TRUE(agent.notify[1].Register(host, kTold, kStartClockMs * 10000));
    LoadFile(graph2, *agent.channel2, 2.0);
    RunAtStart(*agent.channel2);
    const LONGLONG kHeardEndMs = kStartClockMs + kLeadMs + 2000;

    SetFakeClockMs(kHeardEndMs - 20);
    TickAt(kStartTick + kTickMs);
    EXPECT_TRUE(agent.loopWakeUpArmed);
    MSG told = {};
    EXPECT_FALSE(PeekMessageA(&told, host, kTold, kTold, PM_REMOVE)) << "told 20 ms early";

    SetFakeClockMs(kHeardEndMs);
    WakeUpAt(kStartTick + kTickMs + 20);
    ASSERT_TRUE(PeekMessageA(&told, host, kTold, kTold, PM_REMOVE));
    EXPECT_EQ(told.wParam, static_cast<WPARAM>(MAKEWPARAM(QUAVEL_EVENT_ENDED, 2)));
    EXPECT_EQ(told.lParam, 200);
    EXPECT_FALSE(agent.loopWakeUpArmed);
    EXPECT_FALSE(TakeWakeUp());
    DestroyWindow(host);
}
