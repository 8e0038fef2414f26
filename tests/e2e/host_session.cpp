#include "host_session.h"

#include "quavel/host.h"
#include "support/wav_file.h"

void ServingAgent::SetUp()
{
    shortTone = "short.wav";
    tone = "tone.wav";
    longTone = "long.wav";
    WriteToneWav(shortTone, 1.0);
    WriteToneWav(tone, 3.0);
    WriteToneWav(longTone, 20.0);
    window = agentProcess.WaitForWindow(kStartBoundMs);
    ASSERT_NE(window, (HWND)NULL) << "no agent window";
}

int ServingAgent::Send(int code, const char* argument)
{
    int reply = 0;
    QuavelStatus status = QuavelSendCommand(window, code, argument, QUAVEL_DEFAULT_TIMEOUT_MS, &reply);
    EXPECT_EQ(status, QUAVEL_OK) << "command " << code;
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
