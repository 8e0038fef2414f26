#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "agent_process.h"

// Generous bounds: agents start and end under Wine on a loaded machine.
const DWORD kStartBoundMs = 30000;
const DWORD kExitBoundMs = 20000;

// A serving agent started for one test, and samples beside it.
class ServingAgent : public testing::Test {
protected:
    void SetUp() override;

    // The reply to one command sent the way any host sends it; fails the test
    // when the agent does not answer.
    int Send(int code, const char* argument = NULL);
    // Sends HC_Quit and returns when the process has ended, with its exit
    // code; `quitToGoneMs` is how long that took.
    DWORD QuitAndWait(DWORD* quitToGoneMs);

    AgentProcess agentProcess;
    HWND window = NULL;
    // 16-bit stereo tones, 440 Hz.
    std::string shortTone;  // 1 s
    std::string tone;       // 3 s
    std::string longTone;   // 20 s
};
