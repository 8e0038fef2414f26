#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "e2e/serving_agent.h"
#include "harness/full_path.h"
#include "harness/process_counts.h"
#include "harness/sibling_program.h"
#include "quavel/protocol.h"

// Under a long mixed load with files opened and closed all along, the agent's
// private memory grows no more than the platform's own for the same graph
// work, and its handle count stays flat.
namespace {

const int kCommands = 100000;
// An open on Wine costs about 100 ms: 200 file cycles keep the run to a few
// minutes and still show a per-open leak many times over.
const int kCommandsPerFileCycle = 500;
const int kWarmUpCycles = 20;
// Allowance over the platform's own growth: allocator and working-set noise
// of a process that has run 100,000 commands, plus a quarter of the control's
// growth for run-to-run variation. A leak of even 1 KiB per command or 64
// KiB per file cycle would exceed it.
const long long kSlackBytes = 8LL * 1024 * 1024;
// Handles opened and closed by the graphs come and go; a leak of one handle
// per file cycle would add 200.
const long kHandleSlack = 64;
const DWORD kControlBoundMs = 300000;

// The platform's own growth for `cycles` graph cycles, from the control.
long long ControlGrowth(int cycles, const std::string& file)
{
    std::string result = FullPath("control-growth.txt");
    StartedProgram control(QuotedSiblingProgram("robustness_graph_cycles.exe") + " " +
                           std::to_string(cycles) + " \"" + file + "\" \"" + result + "\"");
    DWORD exitCode = 1;
    if (!control.WaitForExit(kControlBoundMs, &exitCode) || exitCode != 0)
        return -1;
    long long growth = -1;
    FILE* output = fopen(result.c_str(), "r");
    if (!output)
        return -1;
    if (fscanf(output, "%lld", &growth) != 1)
        growth = -1;
    fclose(output);
    return growth;
}

class LoadLeaks : public ServingAgent {
protected:
    // One round of ordinary host traffic on both channels.
    void MixedCommands(int count)
    {
        static const int kQueries[] = {HC_GetState, HC_GetPosition, HC_IsPlaying,
                                       HC_IsPausedOrDone, HC_IsStopped, HC_GetDuration,
                                       HC_GetVolume, HC_GetLoop};
        const int kQueryCount = sizeof kQueries / sizeof kQueries[0];
        for (int i = 0; i < count; ++i) {
            int channelBase = (i & 1) ? QUAVEL_SECOND_CHANNEL : 0;
            if (i % kCommandsPerFileCycle == 0) {
                ASSERT_EQ(Send(channelBase + HC_Close), 1);
                ASSERT_EQ(Send(channelBase + HC_OpenFile, tone.c_str()), 1) << "command " << i;
                continue;
            }
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
};

TEST_F(LoadLeaks, MemoryAndHandlesStayFlatUnderMixedLoad)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                                 agentProcess.id());
    ASSERT_NE(process, static_cast<HANDLE>(NULL));
    MixedCommands(kWarmUpCycles * kCommandsPerFileCycle);
    ProcessCounts before = CountsOf(process);
    MixedCommands(kCommands);
    ProcessCounts after = CountsOf(process);
    CloseHandle(process);

    long long control = ControlGrowth(kCommands / kCommandsPerFileCycle, tone);
    ASSERT_GE(control, 0) << "the control did not run";
    long long growth = after.privateBytes - before.privateBytes;
    RecordProperty("agent_growth_bytes", std::to_string(growth));
    RecordProperty("platform_growth_bytes", std::to_string(control));
    EXPECT_LE(growth, control + control / 4 + kSlackBytes)
        << "agent grew " << growth << " bytes; the platform alone grew " << control;
    // Wine 8 does not count another process's handles: it reports 0.
    if (before.handles != 0) {
        EXPECT_LE(after.handles, before.handles + kHandleSlack);
    }
    QuitAndExpectCleanExit();
}

}  // namespace
