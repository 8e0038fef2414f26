#include "live_agent.h"

#include "quavel/protocol.h"
#include "support/wav_file.h"

bool SendToAgent(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs,
                 long long* reply)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &result))
        return false;
    // The agent's replies are 32-bit signed values.
    *reply = static_cast<int>(static_cast<DWORD>(result));
    return true;
}

bool SendCommandText(HWND window, int code, const char* text, int* reply)
{
    COPYDATASTRUCT payload;
    payload.dwData = static_cast<ULONG_PTR>(static_cast<LONG_PTR>(code));
    payload.cbData = text ? static_cast<DWORD>(strlen(text) + 1) : 0;
    payload.lpData = const_cast<char*>(text);
    long long answer = 0;
    if (!SendToAgent(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&payload), kAnswerBoundMs,
                     &answer))
        return false;
    *reply = static_cast<int>(answer);
    return true;
}

std::string FullPath(const std::string& name)
{
    char path[MAX_PATH];
    GetFullPathNameA(name.c_str(), sizeof path, path, NULL);
    return path;
}

void LiveAgent::SetUp()
{
    WriteToneWav("tone.wav", 3.0);
    tone = FullPath("tone.wav");
    agentProcess = new AgentProcess();
    window = agentProcess->WaitForWindow(kAgentStartBoundMs);
    ASSERT_NE(window, static_cast<HWND>(NULL)) << "no agent window";
}

void LiveAgent::TearDown()
{
    delete agentProcess;
}

int LiveAgent::Send(int code, const char* text)
{
    int reply = 0;
    EXPECT_TRUE(SendCommandText(window, code, text, &reply)) << "command " << code << " unanswered";
    return reply;
}

void LiveAgent::QuitAndExpectCleanExit()
{
    EXPECT_EQ(Send(HC_Quit), 1);
    DWORD exitCode = 0xDEAD;
    ASSERT_TRUE(agentProcess->WaitForExit(kAgentExitBoundMs, &exitCode)) << "agent did not end";
    EXPECT_EQ(exitCode, 0u);
}
