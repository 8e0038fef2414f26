#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "harness/log_file.h"
#include "harness/ntdll_procedure.h"
#include "harness/process_counts.h"
#include "harness/wav_file.h"
#include "playback/playback_channel.h"

// PlaybackChannel on the platform's own DirectShow, playing into the test
// sound device. Bounds are generous: a loaded machine must not make these flake.
namespace {

const DWORD kTick = 50;

// Polls `condition` every tick until it holds or `limitMs` passes.
bool Eventually(const std::function<bool()>& condition, DWORD limitMs)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > limitMs)
            return false;
        Sleep(kTick);
    }
    return true;
}

// The routine a thread of this process started in, as the system gives it
// (ThreadQuerySetWin32StartAddress); NULL when it cannot be read.
void* StartOf(DWORD threadId)
{
    typedef LONG(WINAPI * QueryThread)(HANDLE, ULONG, void*, ULONG, ULONG*);
    const ULONG kStartAddress = 9;
    QueryThread query = NtdllProcedure<QueryThread>("NtQueryInformationThread");
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
    void* start = NULL;
    if (query && thread)
        query(thread, kStartAddress, &start, sizeof start, NULL);
    if (thread)
        CloseHandle(thread);
    return start;
}

struct PoolProbe {
    HANDLE ran;
    DWORD threadId;
};

void CALLBACK NoteThread(PTP_CALLBACK_INSTANCE, void* context)
{
    PoolProbe* probe = static_cast<PoolProbe*>(context);
    probe->threadId = GetCurrentThreadId();
    SetEvent(probe->ran);
}

// The routine every thread of the process's pool starts in, found by running
// a piece of work there; NULL when it cannot be.
void* PoolThreadStart()
{
    PoolProbe probe = {CreateEventA(NULL, TRUE, FALSE, NULL), 0};
    void* start = NULL;
    if (TrySubmitThreadpoolCallback(NoteThread, &probe, NULL) &&
        WaitForSingleObject(probe.ran, 10000) == WAIT_OBJECT_0)
        start = StartOf(probe.threadId);
    CloseHandle(probe.ran);
    return start;
}

// Holds the threads of the process's pool back for a while from each Hold:
// work queued there meanwhile is taken up late, as on a loaded machine, but
// every time. The thread that lets them go again exists from the start: one
// started later could wait for the loader's lock that a held thread has.
class LatePool {
public:
    explicit LatePool(DWORD lateMs)
        : lateMs_(lateMs), poolStart_(PoolThreadStart()),
          holding_(CreateEventA(NULL, FALSE, FALSE, NULL)),
          resumed_(CreateEventA(NULL, TRUE, TRUE, NULL)), quit_(0)
    {
        resumer_ = CreateThread(NULL, 0, ResumeLate, this, 0, NULL);
    }
    ~LatePool()
    {
        AwaitResume();
        InterlockedExchange(&quit_, 1);
        SetEvent(holding_);
        WaitForSingleObject(resumer_, INFINITE);
        CloseHandle(resumer_);
        CloseHandle(resumed_);
        CloseHandle(holding_);
    }

    bool Found() const { return poolStart_ != NULL; }

    // Returns once the threads held last run again.
    void AwaitResume() { WaitForSingleObject(resumed_, INFINITE); }

    // Suspends the pool's threads now; they run again lateMs on.
    void Hold()
    {
        AwaitResume();
        ResetEvent(resumed_);
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        THREADENTRY32 entry;
        entry.dwSize = sizeof entry;
        for (BOOL more = Thread32First(snapshot, &entry); more;
             more = Thread32Next(snapshot, &entry)) {
            if (entry.th32OwnerProcessID != GetCurrentProcessId() ||
                StartOf(entry.th32ThreadID) != poolStart_)
                continue;
            HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
            if (thread && SuspendThread(thread) != static_cast<DWORD>(-1))
                held_.push_back(thread);
            else if (thread)
                CloseHandle(thread);
        }
        CloseHandle(snapshot);
        SetEvent(holding_);
    }

private:
    static DWORD WINAPI ResumeLate(void* context)
    {
        LatePool* pool = static_cast<LatePool*>(context);
        for (;;) {
            WaitForSingleObject(pool->holding_, INFINITE);
            if (pool->quit_)
                return 0;
            Sleep(pool->lateMs_);
            for (HANDLE thread : pool->held_) {
                ResumeThread(thread);
                CloseHandle(thread);
            }
            pool->held_.clear();
            SetEvent(pool->resumed_);
        }
    }

    DWORD lateMs_;
    void* poolStart_;
    std::vector<HANDLE> held_;
    HANDLE holding_;
    HANDLE resumed_;
    volatile LONG quit_;
    HANDLE resumer_;
};

class PlaybackChannelOnWine : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        WriteToneWav("three-seconds.wav", 3.0);
        WriteToneWav("half-second.wav", 0.5);
    }

    void SetUp() override
    {
        TakeLog();
        channel.reset(new PlaybackChannel());
    }

    std::unique_ptr<PlaybackChannel> channel;
};

TEST_F(PlaybackChannelOnWine, OpensAWavAndReportsItsDuration)
{
    ASSERT_TRUE(channel->OpenFile("three-seconds.wav"));
    EXPECT_NEAR(channel->GetDuration(), 3.0, 1e-6);
    EXPECT_EQ(channel->GetState(), 0);
    EXPECT_EQ(TakeLog(), "");
}

TEST_F(PlaybackChannelOnWine, MissingFileFailsWithTheThreeLogLines)
{
    EXPECT_FALSE(channel->OpenFile("no/such/file.wav"));
    EXPECT_EQ(channel->GetState(), -1);
    std::string log = TakeLog();
    EXPECT_EQ(log.rfind("OpenFile (0x", 0), 0u) << log;
    EXPECT_NE(log.find("): no\\such\\file.wav\r\nCurDir: (0x"), std::string::npos) << log;
    EXPECT_NE(log.find("\r\nMCBS  (0x"), std::string::npos) << log;
    EXPECT_EQ(log.substr(log.size() - 7), " 0000\r\n") << log;

    EXPECT_TRUE(channel->OpenFile("three-seconds.wav")) << "the channel recovers";
}

// Wine's graph leaves a thread behind for each missing file or folder it is
// asked to render: a few hundred such opens used to exhaust a 32-bit agent.
TEST_F(PlaybackChannelOnWine, RefusedOpensLeaveNoThreadsBehind)
{
    CreateDirectoryA("a-folder", NULL);
    ASSERT_TRUE(channel->OpenFile("three-seconds.wav"));
    long before = CountsOfThisProcess().threads;
    for (int i = 0; i < 50; ++i) {
        EXPECT_FALSE(channel->OpenFile("missing.wav"));
        EXPECT_FALSE(channel->OpenFile("a-folder"));
    }
    ASSERT_TRUE(channel->OpenFile("three-seconds.wav"));
    // A few threads of the platform's pools may come and go.
    EXPECT_LE(CountsOfThisProcess().threads, before + 5);
    TakeLog();
}

// Wine's graph completes a start on a thread of the process's pool; a Stop or
// a release that comes before the pool has taken that start up cancels it,
// and the pool counts a busy thread for it for good: one more thread kept
// for each, as long as starts go on. Starts cut short both ways, with the
// pool late to take each one up.
TEST_F(PlaybackChannelOnWine, StartsCutShortLeaveNoThreadsBehind)
{
    const int kOpens = 10;
    const int kStopsPerOpen = 9;
    // Later than a Stop takes to come, well within what a Stop waits for a
    // start to complete.
    const DWORD kPoolLateMs = 50;
    // The pool threads one start at a time may need, and the graph's own.
    const long kThreadSlack = 6;
    LatePool pool(kPoolLateMs);
    ASSERT_TRUE(pool.Found()) << "the pool's threads cannot be told apart";
    ASSERT_TRUE(channel->OpenFile("three-seconds.wav"));
    channel->Run();
    channel->Stop();
    ASSERT_TRUE(channel->OpenFile("three-seconds.wav"));
    long before = CountsOfThisProcess().threads;
    for (int open = 0; open < kOpens; ++open) {
        for (int stop = 0; stop < kStopsPerOpen; ++stop) {
            pool.Hold();
            channel->Run();
            channel->Stop();
        }
        pool.Hold();
        channel->Run();
        ASSERT_TRUE(channel->OpenFile("three-seconds.wav"));
    }
    pool.AwaitResume();
    const int kStarts = kOpens * (kStopsPerOpen + 1);
    long grown = CountsOfThisProcess().threads - before;
    RecordProperty("threads_grown", std::to_string(grown));
    EXPECT_LE(grown, kThreadSlack) << grown << " threads more after " << kStarts
                                   << " starts cut short (" << double(grown) / kStarts
                                   << " per start), " << kOpens << " of them by the release";
}

TEST_F(PlaybackChannelOnWine, RunsStopsAndSeesTheEndComing)
{
    ASSERT_TRUE(channel->OpenFile("three-seconds.wav"));
    ASSERT_TRUE(channel->Run());
    EXPECT_TRUE(Eventually([&] { return channel->GetState() == 2; }, 2000));
    EXPECT_TRUE(channel->IsPlaying());

    channel->SetPosition(2.9);
    EXPECT_TRUE(Eventually([&] { return channel->GetState() == 1; }, 2000));
    EXPECT_FALSE(channel->IsPlaying());
    EXPECT_TRUE(channel->IsPausedOrDone());

    ASSERT_TRUE(channel->Stop());
    EXPECT_TRUE(Eventually([&] { return channel->GetState() == 0; }, 2000));
    EXPECT_TRUE(channel->IsStopped());
}

TEST_F(PlaybackChannelOnWine, SeeksAndPlaysOnFromTheNewPosition)
{
    ASSERT_TRUE(channel->OpenFile("three-seconds.wav"));
    channel->SetPosition(1.5);
    EXPECT_NEAR(channel->GetPosition(), 1.5, 0.01);

    channel->SetPosition(1.0);
    channel->Run();
    Sleep(500);
    EXPECT_NEAR(channel->GetPosition(), 1.5, 0.4);
    channel->Stop();
}

TEST_F(PlaybackChannelOnWine, VolumeReadsBackAsSet)
{
    ASSERT_TRUE(channel->OpenFile("three-seconds.wav"));
    for (int percent : {0, 1, 25, 50, 99, 100}) {
        channel->SetVolume(percent);
        EXPECT_EQ(channel->GetVolume(), percent);
    }
}

// The tick's loop service, called as the agent calls it, keeps a short clip
// wrapping: five wraps in a row, four rounds. The passes reuse the loop's two
// graphs: after the first round, the wraps of the other three leave no
// handle, no thread and no parser's worth of memory behind (a graph built
// per pass would cost Wine about 10 KB each).
TEST_F(PlaybackChannelOnWine, LoopingWrapsAShortClipAgainAndAgainAtNoCostPerPass)
{
    const int kWraps = 5;
    const int kRounds = 4;
    const DWORD kRoundLimitMs = 20000;
    const long long kGrowthLimitBytes = 32 * 1024;
    ASSERT_TRUE(channel->OpenFile("half-second.wav"));
    channel->SetLoop(true);
    ProcessCounts before = {};
    for (int round = 0; round < kRounds; ++round) {
        if (round == 1)
            before = CountsOfThisProcess();
        channel->Rewind();
        channel->Run();
        int wraps = 0;
        double last = channel->GetPosition();
        DWORD start = GetTickCount();
        while (wraps < kWraps && GetTickCount() - start < kRoundLimitMs) {
            Sleep(kTick);
            channel->ServiceLoop();
            double now = channel->GetPosition();
            if (now < last - 0.2)
                ++wraps;
            last = now;
        }
        channel->Stop();
        EXPECT_EQ(wraps, kWraps) << "round " << round << ": looping stalled";
    }
    ProcessCounts after = CountsOfThisProcess();
    EXPECT_LE(after.handles, before.handles) << "handles per pass";
    EXPECT_LE(after.threads, before.threads) << "threads per pass";
    EXPECT_LT(after.privateBytes - before.privateBytes, kGrowthLimitBytes)
        << "private bytes over " << (kRounds - 1) * kWraps << " passes";
}

}  // namespace
