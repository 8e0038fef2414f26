#include "agent_process.h"

#include <vector>

#include "quavel/protocol.h"

namespace {

const DWORD kPollMs = 20;

}  // namespace

std::string AgentProgramPath()
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof path);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + "quavel.exe";
}

DWORD MsSince(DWORD start)
{
    return GetTickCount() - start;
}

AgentProcess::AgentProcess(const std::string& tail) : process_()
{
    std::string program = AgentProgramPath();
    std::string line = "\"" + program + "\"" + tail;
    std::vector<char> writable(line.begin(), line.end());
    writable.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    CreateProcessA(program.c_str(), writable.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                   &process_);
}

AgentProcess::~AgentProcess()
{
    if (!process_.hProcess)
        return;
    if (!HasExited()) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 10000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

HWND AgentProcess::WaitForWindow(DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    do {
        HWND window = FindWindowA(QUAVEL_WINDOW_CLASS, NULL);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (window && owner == id())
            return window;
        Sleep(kPollMs);
    } while (MsSince(start) < timeoutMs);
    return NULL;
}

bool AgentProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const
{
    if (!process_.hProcess || WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    GetExitCodeProcess(process_.hProcess, exitCode);
    return true;
}

bool AgentProcess::HasExited() const
{
    return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
}
