#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "harness/started_program.h"

// Generous bounds: agents start, load and end under Wine on a loaded machine.
const DWORD kStartBoundMs = 30000;
const DWORD kExitBoundMs = 20000;
// Long enough for any single command, opening a file included.
const UINT kAnswerBoundMs = 10000;

// One message to a live agent's window, as a host in another process sends
// it, whatever the message. False when the agent did not answer (gone, hung
// or too slow).
bool SendToAgent(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs,
                 long long* reply);

// A serving agent started in the current directory for one test, and
// samples beside it.
class ServingAgent : public testing::Test {
protected:
    void SetUp() override;

    // The reply to one command sent the way any host sends it; fails the test
    // when the agent does not answer.
    int Send(int code, const char* argument = NULL);
    // Sends HC_Quit and returns when the process has ended, with its exit
    // code; `quitToGoneMs` is how long that took.
    DWORD QuitAndWait(DWORD* quitToGoneMs);
    // Ends the agent with HC_Quit and expects exit code 0.
    void QuitAndExpectCleanExit();

    AgentProcess agentProcess;
    HWND window = NULL;
    // 16-bit stereo tones, 440 Hz, as full paths.
    std::string shortTone;  // 1 s
    std::string tone;       // 3 s
    std::string longTone;   // 20 s
};
