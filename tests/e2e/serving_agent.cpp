#include "e2e/serving_agent.h"

#include "harness/full_path.h"
#include "harness/wav_file.h"
#include "quavel/host.h"

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

void ServingAgent::SetUp()
{
    shortTone = FullPath("short.wav");
    tone = FullPath("tone.wav");
    longTone = FullPath("long.wav");
    WriteToneWav(shortTone, 1.0);
    WriteToneWav(tone, 3.0);
    WriteToneWav(longTone, 20.0);
    window = agentProcess.WaitForWindow(kStartBoundMs);
    ASSERT_NE(window, (HWND)NULL) << "no agent window";
}

int ServingAgent::Send(int code, const char* argument)
{
    int reply = 0;
    QuavelStatus status = QuavelSendCommand(window, code, argument, kAnswerBoundMs, &reply);
    EXPECT_EQ(status, QUAVEL_OK) << "command " << code << " unanswered";
    return reply;
}

DWORD ServingAgent::QuitAndWait(DWORD* quitToGoneMs)
{
    DWORD start = GetTickCount();
    EXPECT_EQ(Send(HC_Quit), 1);
    DWORD exitCode = 0xDEAD;
    EXPECT_TRUE(agentProcess.WaitForExit(kExitBoundMs, &exitCode)) << "agent still running";
    *quitToGoneMs = MsSince(start);
    return exitCode;
}

void ServingAgent::QuitAndExpectCleanExit()
{
    DWORD quitToGoneMs = 0;
    EXPECT_EQ(QuitAndWait(&quitToGoneMs), 0u);
}
