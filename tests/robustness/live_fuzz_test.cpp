#include <windows.h>

#include <gtest/gtest.h>

#include "e2e/serving_agent.h"
#include "fuzz_message.h"
#include "fuzz_replay.h"
#include "harness/full_path.h"
#include "harness/wav_file.h"
#include "quavel/protocol.h"
#include "reply_oracle.h"

// The generator's messages sent to a live agent from this process, as real
// window messages, while both channels hold files and the first plays. The
// platform swallows faults inside a procedure serving another process, so
// this run proves answers and liveness; the in-process run proves memory.
namespace {

const int kMessages = 100000;

using LiveFuzz = ServingAgent;

TEST_F(LiveFuzz, EveryMessageIsAnsweredAsTheTableSays)
{
    WriteToneWav("fuzz-tone.wav", 0.5);
    CreateDirectoryA("fuzz-folder", NULL);
    FuzzFiles files;
    files.playable = FullPath("fuzz-tone.wav");
    files.directory = FullPath("fuzz-folder");
    uint32_t replay = FuzzReplayNumber();
    RecordProperty("replay", static_cast<int>(replay));

    ReplyOracle oracle(files);
    ASSERT_EQ(Send(HC_OpenFile, files.playable.c_str()), 1);
    ASSERT_EQ(Send(QUAVEL_SECOND_CHANNEL + HC_OpenFile, files.playable.c_str()), 1);
    Send(HC_SetLoop, "1");
    Send(HC_Run);
    oracle.ChannelLoaded(1, true);
    oracle.ChannelLoaded(2, true);
    oracle.LoopSet(1, true);

    FuzzGenerator generator(replay, files);
    int count = FuzzMessageCount(kMessages);
    for (int i = 0; i < count; ++i) {
        FuzzMessage message = generator.Next();
        long long reply = 0;
        bool answered = false;
        if (message.message == WM_COPYDATA) {
            COPYDATASTRUCT payload;
            payload.dwData = static_cast<ULONG_PTR>(static_cast<LONG_PTR>(message.code));
            payload.cbData = message.nullData ? 0 : message.byteCount;
            payload.lpData = message.nullData ? NULL : &message.bytes[0];
            answered = SendToAgent(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&payload),
                                   kAnswerBoundMs, &reply);
        } else {
            answered = SendToAgent(window, message.message, message.wParam, message.lParam,
                                   kAnswerBoundMs, &reply);
        }
        ASSERT_TRUE(answered) << "QUAVEL_FUZZ_REPLAY=" << replay << ", message " << i << " (message 0x" << std::hex
                              << message.message << std::dec << ", code " << message.code
                              << "): no answer; agent " << (agentProcess.HasExited() ? "gone" : "hung");
        std::string why;
        ASSERT_TRUE(oracle.Check(message, reply, &why))
            << "QUAVEL_FUZZ_REPLAY=" << replay << ", message " << i << " (code " << message.code << ", text \""
            << TextTheAgentSees(message).substr(0, 80) << "\"): " << why;
    }

    EXPECT_EQ(Send(HC_Close), 1);
    EXPECT_EQ(Send(HC_OpenFile, tone.c_str()), 1);
    EXPECT_EQ(Send(HC_GetDuration), 300);
    EXPECT_EQ(Send(HC_SetVolume, "50"), 50);
    EXPECT_EQ(Send(HC_GetVolume), 50);
    EXPECT_EQ(Send(HC_SetLoop, "0"), 0);
    EXPECT_EQ(Send(HC_GetLoop), 0);
    QuitAndExpectCleanExit();
}

}  // namespace
