#pragma once

#include <windows.h>

#include <string>

// One agent process started by a test, with `tail` after its quoted program
// name on the command line, in the current directory. A process still
// running when the object goes is terminated.
class AgentProcess {
public:
    explicit AgentProcess(const std::string& tail = "");
    ~AgentProcess();

    DWORD id() const { return process_.dwProcessId; }

    // The agent window of this process, or NULL after `timeoutMs`.
    HWND WaitForWindow(DWORD timeoutMs) const;
    // True with the exit code once the process has ended within `timeoutMs`.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode) const;
    bool HasExited() const;

private:
    AgentProcess(const AgentProcess&);
    AgentProcess& operator=(const AgentProcess&);

    PROCESS_INFORMATION process_;
};

// quavel.exe beside the test program.
std::string AgentProgramPath();

// Milliseconds since `start`, for timing what the agent does.
DWORD MsSince(DWORD start);
