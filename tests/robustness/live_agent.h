#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/agent_process.h"

// Generous: agents start, load and end under Wine on a loaded machine.
const DWORD kAgentStartBoundMs = 30000;
const DWORD kAgentExitBoundMs = 20000;
// Long enough for any single command, opening a file included.
const UINT kAnswerBoundMs = 10000;

// One message to a live agent's window, as a host in another process sends
// it. False when the agent did not answer (gone, hung or too slow).
bool SendToAgent(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs,
                 long long* reply);

// A command with a NUL-terminated text (or none); false when unanswered.
bool SendCommandText(HWND window, int code, const char* text, int* reply);

// A serving agent started in the current directory, with a playable tone.
class LiveAgent : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The reply to a command that must be answered.
    int Send(int code, const char* text = NULL);
    // Ends the agent with HC_Quit and expects exit code 0.
    void QuitAndExpectCleanExit();

    AgentProcess* agentProcess = nullptr;
    HWND window = NULL;
    std::string tone;  // 3 s, full path
};

std::string FullPath(const std::string& name);
