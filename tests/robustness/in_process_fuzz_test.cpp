#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/agent_state.h"
#include "fuzz_message.h"
#include "fuzz_replay.h"
#include "guarded_buffer.h"
#include "harness/full_path.h"
#include "harness/wav_file.h"
#include "protocol/command_dispatcher.h"
#include "quavel/protocol.h"
#include "reply_oracle.h"
#include "shell/agent_lifetime.h"
#include "shell/agent_window.h"

// The generator's messages handed straight to the agent's code, on the
// platform's real filter graphs. Unlike a message from another process, a
// fault here stops the test: this is where memory errors show.
namespace {

const int kMessages = 100000;
const size_t kLargestPayload = 64 * 1024 + 16;

class InProcessFuzz : public testing::Test {
protected:
    void SetUp() override
    {
        WriteToneWav("fuzz-tone.wav", 0.5);
        CreateDirectoryA("fuzz-folder", NULL);
        files.playable = FullPath("fuzz-tone.wav");
        files.directory = FullPath("fuzz-folder");
        replay = FuzzReplayNumber();
        RecordProperty("replay", static_cast<int>(replay));

        StartAgent(GetModuleHandleA(NULL));
        ASSERT_TRUE(CreateAgentWindow());
    }

    void TearDown() override
    {
        DestroyAgentWindow();
        ReleaseChannels();
    }

    // Both channels hold a file; the first plays, looping.
    void LoadBothChannels(ReplyOracle* oracle)
    {
        ASSERT_EQ(HandleCommand(HC_OpenFile, files.playable.c_str()), 1);
        ASSERT_EQ(HandleCommand(QUAVEL_SECOND_CHANNEL + HC_OpenFile, files.playable.c_str()), 1);
        HandleCommand(HC_SetLoop, "1");
        HandleCommand(HC_Run, NULL);
        oracle->ChannelLoaded(1, true);
        oracle->ChannelLoaded(2, true);
        oracle->LoopSet(1, true);
    }

    // After any amount of abuse, a plain session still works.
    void ExpectOrdinarySession()
    {
        EXPECT_EQ(HandleCommand(HC_Close, NULL), 1);
        EXPECT_EQ(HandleCommand(HC_OpenFile, files.playable.c_str()), 1);
        EXPECT_EQ(HandleCommand(HC_SetVolume, "50"), 50);
        EXPECT_EQ(HandleCommand(HC_GetVolume, NULL), 50);
        EXPECT_EQ(HandleCommand(HC_GetDuration, NULL), 50);
        EXPECT_EQ(HandleCommand(HC_SetLoop, "0"), 0);
        EXPECT_EQ(HandleCommand(HC_GetLoop, NULL), 0);
        EXPECT_EQ(HandleCommand(HC_Quit, NULL), 1);
        EXPECT_TRUE(agent.quitRequested);
    }

    FuzzFiles files;
    uint32_t replay = 0;
};

TEST_F(InProcessFuzz, WindowProcedureAnswersEveryMessageAsTheTableSays)
{
    ReplyOracle oracle(files);
    LoadBothChannels(&oracle);
    FuzzGenerator generator(replay, files);
    GuardedBuffer buffer(kLargestPayload);
    int count = FuzzMessageCount(kMessages);
    for (int i = 0; i < count; ++i) {
        FuzzMessage message = generator.Next();
        LRESULT reply = 0;
        if (message.message == WM_COPYDATA) {
            COPYDATASTRUCT payload;
            payload.dwData = static_cast<ULONG_PTR>(static_cast<LONG_PTR>(message.code));
            payload.cbData = message.byteCount;
            payload.lpData = message.nullData ? NULL : const_cast<char*>(buffer.Place(message.bytes));
            reply = AgentWndProc(agent.agentWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&payload));
        } else {
            reply = AgentWndProc(agent.agentWindow, message.message, message.wParam, message.lParam);
        }
        std::string why;
        ASSERT_TRUE(oracle.Check(message, static_cast<int>(reply), &why))
            << "QUAVEL_FUZZ_REPLAY=" << replay << ", message " << i << " (code " << message.code << ", text \""
            << TextTheAgentSees(message).substr(0, 80) << "\"): " << why;
        ASSERT_FALSE(agent.quitRequested) << "QUAVEL_FUZZ_REPLAY=" << replay << ", message " << i << " ended the agent";
    }
    ExpectOrdinarySession();
}

TEST_F(InProcessFuzz, DispatcherAnswersEveryCommandAsTheTableSays)
{
    ReplyOracle oracle(files);
    LoadBothChannels(&oracle);
    FuzzGenerator generator(replay ^ 0x5A5A5A5Au, files);
    int count = FuzzMessageCount(kMessages);
    for (int i = 0; i < count; ++i) {
        FuzzMessage message = generator.Next();
        if (message.message != WM_COPYDATA)
            continue;
        std::string text = TextTheAgentSees(message);
        int reply = HandleCommand(message.code, message.nullData ? NULL : text.c_str());
        std::string why;
        ASSERT_TRUE(oracle.Check(message, reply, &why))
            << "QUAVEL_FUZZ_REPLAY=" << replay << ", command " << i << " (code " << message.code << "): " << why;
    }
    ExpectOrdinarySession();
}

}  // namespace
