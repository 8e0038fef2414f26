#pragma once

#include <windows.h>

#include <string>

// A program started by a test or a bench host, in the current directory. One
// still running when the object goes is terminated: a failed check must not
// leave it serving into the next one.
class StartedProgram {
public:
    explicit StartedProgram(const std::string& commandLine);
    ~StartedProgram();

    bool Started() const { return process_.hProcess != NULL; }
    DWORD id() const { return process_.dwProcessId; }

    // A window of `windowClass` owned by this process, or NULL after
    // `timeoutMs`.
    HWND WaitForWindow(const char* windowClass, DWORD timeoutMs) const;
    // True with the exit code once the process has ended within `timeoutMs`.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode) const;
    bool HasExited() const;
    // Ends the program at once, as a crash would, and waits for it to be gone.
    void Kill(DWORD timeoutMs);
    // Asks the program to leave through its window's close command (the agent
    // and the bare window both leave on it) and waits a while for it to go.
    void Close(HWND window);

private:
    StartedProgram(const StartedProgram&);
    StartedProgram& operator=(const StartedProgram&);

    PROCESS_INFORMATION process_;
};

// The agent built beside the running program, with `tail` after its quoted
// name on the command line (empty: service mode).
class AgentProcess : public StartedProgram {
public:
    explicit AgentProcess(const std::string& tail = "");

    using StartedProgram::WaitForWindow;
    // The agent window of this process, or NULL after `timeoutMs`.
    HWND WaitForWindow(DWORD timeoutMs) const;
};

// Milliseconds since the tick count `start`.
DWORD MsSince(DWORD start);
