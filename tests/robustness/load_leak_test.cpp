#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/serving_agent.h"
#include "harness/full_path.h"
#include "harness/process_counts.h"
#include "harness/sibling_program.h"
#include "quavel/protocol.h"

// Under a long mixed load on both channels, with files opened and closed all
// along, the agent's private memory and handles grow no more than the
// platform's own for the same graph work, and its thread count stays flat.
namespace {

const int kCommands = 100000;
// An open on Wine costs about 100 ms: a file cycle every 500 commands, on
// each channel in turn, keeps the run to a few minutes and still shows a
// per-open leak many times over.
const int kCommandsPerFileCycle = 500;
const int kFileCycles = kCommands / kCommandsPerFileCycle;
const int kWarmUpCycles = 20;
// Counts taken along the way: whether growth came in one step or all along.
const int kParts = 10;
// Allowance over the platform's own growth: allocator and working-set noise
// of a process that has run 100,000 commands, plus a quarter of the control's
// growth for run-to-run variation. A leak of even 1 KiB per command or 64
// KiB per file cycle would exceed it.
const long long kSlackBytes = 8LL * 1024 * 1024;
// Handles the graphs open and close come and go; a leak of one handle per
// file cycle would add 200 beyond the platform's own.
const long kHandleSlack = 64;
// Threads of both channels' graphs and the pool threads their starts use
// come and go; a thread per file cycle would add 200.
const long kThreadSlack = 8;
const DWORD kControlBoundMs = 300000;

struct Growth {
    long long bytes;
    long handles;
    long threads;
};

Growth Between(const ProcessCounts& before, const ProcessCounts& after)
{
    Growth growth = {after.privateBytes - before.privateBytes, after.handles - before.handles,
                     after.threads - before.threads};
    return growth;
}

// The platform's own growth for `cycles` graph cycles, from the control;
// false when it did not run.
bool ControlGrowth(int cycles, const std::string& file, Growth* growth)
{
    std::string result = FullPath("control-growth.txt");
    StartedProgram control(QuotedSiblingProgram("robustness_graph_cycles.exe") + " " +
                           std::to_string(cycles) + " \"" + file + "\" \"" + result + "\"");
    DWORD exitCode = 1;
    if (!control.WaitForExit(kControlBoundMs, &exitCode) || exitCode != 0)
        return false;
    FILE* output = fopen(result.c_str(), "r");
    if (!output)
        return false;
    growth->threads = 0;
    bool read = fscanf(output, "%lld %ld", &growth->bytes, &growth->handles) == 2;
    fclose(output);
    return read;
}

// What the counts say, for every message: the growth over the run, and the
// counts after each part of it.
std::string Describe(const std::vector<ProcessCounts>& counts, const Growth& platform)
{
    Growth agent = Between(counts.front(), counts.back());
    std::ostringstream text;
    text << "over " << kCommands << " commands and " << kFileCycles << " file cycles the agent grew "
         << agent.bytes << " bytes (" << agent.bytes / kFileCycles << " per cycle), "
         << agent.handles << " handles and " << agent.threads
         << " threads; the platform alone grew " << platform.bytes << " bytes and "
         << platform.handles << " handles for as many graph cycles. KiB, handles and threads "
         << "from the start and after each tenth:";
    for (size_t i = 0; i < counts.size(); ++i)
        text << " " << counts[i].privateBytes / 1024 << "/" << counts[i].handles << "/"
             << counts[i].threads;
    return text.str();
}

class LoadLeaks : public ServingAgent {
protected:
    // Ordinary host traffic, alternating between the channels; every
    // kCommandsPerFileCycle commands one channel, each in turn, closes and
    // opens its file, often while it runs.
    void MixedCommands(int count)
    {
        static const int kQueries[] = {HC_GetState, HC_GetPosition, HC_IsPlaying,
                                       HC_IsPausedOrDone, HC_IsStopped, HC_GetDuration,
                                       HC_GetVolume, HC_GetLoop};
        const int kQueryCount = sizeof kQueries / sizeof kQueries[0];
        for (int i = 0; i < count; ++i) {
            if (i % kCommandsPerFileCycle == 0) {
                int fileChannel = (i / kCommandsPerFileCycle) % 2 ? QUAVEL_SECOND_CHANNEL : 0;
                ASSERT_EQ(Send(fileChannel + HC_Close), 1);
                ASSERT_EQ(Send(fileChannel + HC_OpenFile, tone.c_str()), 1) << "command " << i;
                continue;
            }
            int channelBase = (i & 1) ? QUAVEL_SECOND_CHANNEL : 0;
            switch (i % 7) {
            case 0:
                ASSERT_EQ(Send(channelBase + HC_SetVolume, "70"), 70);
                break;
            case 1:
                ASSERT_EQ(Send(channelBase + HC_SetPosition, "50"), 50);
                break;
            case 2:
                ASSERT_EQ(Send(channelBase + HC_Run), 0);
                break;
            case 3:
                ASSERT_EQ(Send(channelBase + HC_Stop), 1);
                break;
            default:
                Send(channelBase + kQueries[i % kQueryCount]);
                break;
            }
        }
    }

    // Counts taken with both channels stopped, so that the graphs' streaming
    // threads are the same at every count.
    ProcessCounts StoppedCounts(HANDLE process)
    {
        Send(HC_Stop);
        Send(QUAVEL_SECOND_CHANNEL + HC_Stop);
        return CountsOf(process);
    }
};

TEST_F(LoadLeaks, MemoryHandlesAndThreadsStayFlatUnderMixedLoad)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                                 agentProcess.id());
    ASSERT_NE(process, static_cast<HANDLE>(NULL));
    ASSERT_NO_FATAL_FAILURE(MixedCommands(kWarmUpCycles * kCommandsPerFileCycle));
    std::vector<ProcessCounts> counts(1, StoppedCounts(process));
    ASSERT_GT(counts.front().handles, 0) << "the agent's handles cannot be counted";
    for (int part = 0; part < kParts; ++part) {
        ASSERT_NO_FATAL_FAILURE(MixedCommands(kCommands / kParts));
        counts.push_back(StoppedCounts(process));
    }
    CloseHandle(process);

    Growth platform;
    ASSERT_TRUE(ControlGrowth(kFileCycles, tone, &platform)) << "the control did not run";
    Growth agent = Between(counts.front(), counts.back());
    RecordProperty("agent_growth_bytes", std::to_string(agent.bytes));
    RecordProperty("platform_growth_bytes", std::to_string(platform.bytes));
    RecordProperty("agent_growth_handles", std::to_string(agent.handles));
    RecordProperty("platform_growth_handles", std::to_string(platform.handles));
    RecordProperty("agent_growth_threads", std::to_string(agent.threads));
    std::string figures = Describe(counts, platform);
    EXPECT_LE(agent.bytes, platform.bytes + platform.bytes / 4 + kSlackBytes) << figures;
    EXPECT_LE(agent.handles, platform.handles + platform.handles / 4 + kHandleSlack) << figures;
    EXPECT_LE(agent.threads, kThreadSlack) << figures;
    QuitAndExpectCleanExit();
}

}  // namespace
