#include "started_program.h"

#include <vector>

namespace {

const DWORD kExitBoundMs = 20000;

}  // namespace

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
    if (!process_.hProcess)
        return;
    if (WaitForSingleObject(process_.hProcess, kExitBoundMs) != WAIT_OBJECT_0)
        TerminateProcess(process_.hProcess, 1);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

// Polled as tightly as the platform's sleep allows: the poll's own period
// is part of every figure, agent and baseline alike.
HWND StartedProgram::WaitForWindow(const char* windowClass, DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        HWND window = FindWindowA(windowClass, NULL);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (window && owner == process_.dwProcessId)
            return window;
        Sleep(1);
    }
    return NULL;
}

void StartedProgram::Close(HWND window)
{
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    WaitForSingleObject(process_.hProcess, kExitBoundMs);
}
