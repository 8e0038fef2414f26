#include "harness/process_counts.h"

#include <psapi.h>
#include <tlhelp32.h>

namespace {

// Wine reports a process's private bytes as PagefileUsage; its PrivateUsage
// reads 0 (on Windows the two agree).
long long PrivateBytesOf(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, &counters, sizeof counters);
    return static_cast<long long>(counters.PagefileUsage);
}

long HandlesOf(HANDLE process)
{
    DWORD count = 0;
    GetProcessHandleCount(process, &count);
    return static_cast<long>(count);
}

long ThreadsOf(DWORD processId)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    THREADENTRY32 entry;
    entry.dwSize = sizeof entry;
    long count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == processId ? 1 : 0;
    CloseHandle(snapshot);
    return count;
}

}  // namespace

ProcessCounts CountsOf(HANDLE process)
{
    ProcessCounts counts;
    counts.privateBytes = PrivateBytesOf(process);
    counts.handles = HandlesOf(process);
    counts.threads = ThreadsOf(GetProcessId(process));
    return counts;
}

ProcessCounts CountsOfThisProcess()
{
    return CountsOf(GetCurrentProcess());
}
