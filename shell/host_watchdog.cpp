#include "shell/host_watchdog.h"

#include "common/agent_state.h"
#include "common/tick_clock.h"

namespace {

const LONG kHostSilenceLimitMs = 1000;

// Written as a number: newer platform headers give PROCESS_ALL_ACCESS a wider
// mask that older systems refuse.
const DWORD kHostProcessAccess = 0x1F0FFF;

// Opening the silent host's process is what hosts have always seen the
// watchdog do, so it stays; nothing more is done with the process, so the
// handle is closed at once: repeated firings must not pile up handles.
void OpenHostProcess(HWND hostWindow)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(hostWindow, &processId);
    HANDLE host = OpenProcess(kHostProcessAccess, FALSE, processId);
    if (host)
        CloseHandle(host);
}

}  // namespace

void WatchHost(DWORD now)
{
    if (ElapsedMs(now, agent.lastHostContact) <= kHostSilenceLimitMs)
        return;
    OpenHostProcess(agent.infoWindow);
    agent.infoWindow = NULL;
}
