#include "harness/started_program.h"

#include <vector>

#include "harness/sibling_program.h"
#include "quavel/protocol.h"

namespace {

const DWORD kCloseBoundMs = 20000;
const DWORD kTerminateBoundMs = 10000;

}  // namespace

DWORD MsSince(DWORD start)
{
    return GetTickCount() - start;
}

StartedProgram::StartedProgram(const std::string& commandLine) : process_()
{
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(NULL, &writable[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process_))
        process_ = PROCESS_INFORMATION();
}

StartedProgram::~StartedProgram()
{
    if (!Started())
        return;
    if (!HasExited())
        Kill(kTerminateBoundMs);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

// Polled as tightly as the platform's sleep allows: the poll's own period is
// part of every start-up figure, agent and baseline alike.
HWND StartedProgram::WaitForWindow(const char* windowClass, DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    do {
        HWND window = FindWindowA(windowClass, NULL);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (window && owner == id())
            return window;
        Sleep(1);
    } while (Started() && MsSince(start) < timeoutMs);
    return NULL;
}

bool StartedProgram::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const
{
    if (!Started() || WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    GetExitCodeProcess(process_.hProcess, exitCode);
    return true;
}

bool StartedProgram::HasExited() const
{
    return Started() && WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
}

void StartedProgram::Kill(DWORD timeoutMs)
{
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, timeoutMs);
}

void StartedProgram::Close(HWND window)
{
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    WaitForSingleObject(process_.hProcess, kCloseBoundMs);
}

AgentProcess::AgentProcess(const std::string& tail)
    : StartedProgram(QuotedSiblingProgram("quavel.exe") + tail)
{
}

HWND AgentProcess::WaitForWindow(DWORD timeoutMs) const
{
    return StartedProgram::WaitForWindow(QUAVEL_WINDOW_CLASS, timeoutMs);
}
