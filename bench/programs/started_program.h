#pragma once

#include <windows.h>

#include <string>

// A program started by a bench host, ended through its window's close
// command (both the agent and the bare window leave on it) or, failing
// that, terminated.
class StartedProgram {
public:
    explicit StartedProgram(const std::string& commandLine);
    ~StartedProgram();

    bool Started() const { return process_.hProcess != NULL; }
    // Polls for a window of `windowClass` owned by this process.
    HWND WaitForWindow(const char* windowClass, DWORD timeoutMs) const;
    void Close(HWND window);

private:
    StartedProgram(const StartedProgram&);
    StartedProgram& operator=(const StartedProgram&);

    PROCESS_INFORMATION process_;
};
