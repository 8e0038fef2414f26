#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "agent_fixture.h"
#include "common/agent_state.h"
#include "playback/playback_channel.h"
#include "fakes/fake_tick_clock.h"
#include "quavel/protocol.h"
#include "shell/agent_window.h"
#include "shell/copy_data_command.h"

namespace {

std::string TextOf(const void* data, DWORD count)
{
    COPYDATASTRUCT payload = {};
    payload.lpData = const_cast<void*>(data);
    payload.cbData = count;
    char text[16];
    CopyDataText(payload, text, sizeof text);
    return text;
}

// `length` bytes that end exactly where readable memory ends.
class BytesBeforeGuardPage {
public:
    explicit BytesBeforeGuardPage(const char* bytes, size_t length)
    {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        page_ = system.dwPageSize;
        base_ = static_cast<char*>(VirtualAlloc(NULL, 2 * page_, MEM_COMMIT, PAGE_READWRITE));
        DWORD previous = 0;
        VirtualProtect(base_ + page_, page_, PAGE_NOACCESS, &previous);
        data_ = base_ + page_ - length;
        memcpy(data_, bytes, length);
    }
    ~BytesBeforeGuardPage() { VirtualFree(base_, 0, MEM_RELEASE); }
    const char* data() const { return data_; }

private:
    char* base_;
    char* data_;
    size_t page_;
};

LRESULT SendCopyData(ULONG_PTR dataWord, const char* text)
{
    COPYDATASTRUCT payload = {};
    payload.dwData = dataWord;
    payload.lpData = const_cast<char*>(text);
    payload.cbData = text ? static_cast<DWORD>(strlen(text) + 1) : 0;
    return AgentWndProc(agent.agentWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&payload));
}

}  // namespace

TEST(CopyDataText, EndsAtTheFirstNulOrAtTheByteCount)
{
    EXPECT_EQ(TextOf("50\0junk", 7), "50");
    EXPECT_EQ(TextOf("5000", 2), "50");
    EXPECT_EQ(TextOf("50", 0), "");
    EXPECT_EQ(TextOf(NULL, 12), "");
}

TEST(CopyDataText, CutsTextsLongerThanTheBuffer)
{
    EXPECT_EQ(TextOf("0123456789abcdefXYZ", 20), "0123456789abcde");
}

TEST(CopyDataText, NeverReadsPastTheBytesCarried)
{
    BytesBeforeGuardPage unterminated("C:\\a.wav", 8);
    EXPECT_EQ(TextOf(unterminated.data(), 8), "C:\\a.wav");
}

class CopyDataCommand : public AgentFixture {};

TEST_F(CopyDataCommand, RepliesWithTheCommandsAnswer)
{
    LoadFile(graph1, *agent.channel1, 3.0);
    agent.channel1->SetVolume(50);

    EXPECT_EQ(SendCopyData(HC_GetVolume, NULL), 50);
    EXPECT_EQ(SendCopyData(HC_SetVolume + QUAVEL_SECOND_CHANNEL, "x"), 0);
}

TEST_F(CopyDataCommand, OpensOnTheSecondChannelByCode)
{
    EXPECT_EQ(SendCopyData(HC_OpenFile + QUAVEL_SECOND_CHANNEL, "music/b.wav"), 1);
    EXPECT_EQ(LatestGraph()->renderedPath, L"music\\b.wav");
    EXPECT_EQ(graph1->renderedPath, L"");
}

// On 64-bit builds the data word is wider than the code: only its low 32
// bits, read as signed, count.
TEST_F(CopyDataCommand, CodeIsTheLow32BitsOfTheDataWord)
{
    EXPECT_EQ(SendCopyData(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(-1)), NULL), 0);
    EXPECT_FALSE(agent.quitRequested);
    EXPECT_EQ(SendCopyData(static_cast<ULONG_PTR>(0xFFFFFFFFu), NULL), 0);
    EXPECT_FALSE(agent.quitRequested);
}

TEST_F(CopyDataCommand, StampsHostContactEvenForUnknownCodes)
{
    SetFakeTick(kStartTick + 777);
    SendCopyData(19, NULL);
    EXPECT_EQ(agent.lastHostContact, kStartTick + 777);
}

TEST_F(CopyDataCommand, MessageWithoutPayloadRepliesZero)
{
    EXPECT_EQ(AgentWndProc(agent.agentWindow, WM_COPYDATA, 0, 0), 0);
}
