#include "harness/process_counts.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <vector>

#include "harness/ntdll_procedure.h"

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

// The system's handle table, as NtQuerySystemInformation gives it for
// SystemExtendedHandleInformation.
const ULONG kExtendedHandleInformation = 64;
const LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

struct HandleEntry {
    void* object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG access;
    USHORT creatorBackTrace;
    USHORT objectType;
    ULONG attributes;
    ULONG reserved;
};

struct HandleTable {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};

typedef LONG(WINAPI* QuerySystemInformation)(ULONG, void*, ULONG, ULONG*);

// Every handle the system's handle table names `processId` as the owner of.
// 0 when the table cannot be read.
long HandlesInSystemTable(DWORD processId)
{
    QuerySystemInformation query =
        NtdllProcedure<QuerySystemInformation>("NtQuerySystemInformation");
    if (!query)
        return 0;
    std::vector<unsigned char> buffer(1 << 20);
    LONG status = kInfoLengthMismatch;
    while (status == kInfoLengthMismatch) {
        ULONG needed = 0;
        status = query(kExtendedHandleInformation, &buffer[0], static_cast<ULONG>(buffer.size()),
                       &needed);
        // Handles come and go between the calls: ask for room to spare.
        if (status == kInfoLengthMismatch)
            buffer.resize(needed > buffer.size() ? needed + needed / 4 : 2 * buffer.size());
    }
    if (status < 0)
        return 0;
    const HandleTable* table = reinterpret_cast<const HandleTable*>(&buffer[0]);
    long count = 0;
    for (ULONG_PTR i = 0; i < table->count; ++i)
        count += table->entries[i].processId == processId ? 1 : 0;
    return count;
}

// Wine's GetProcessHandleCount reads 0 for every process, this one included;
// the system's handle table names the owner of each handle, under Wine as on
// Windows (where the table may be closed to an unprivileged caller, and the
// direct count answers).
long HandlesOf(HANDLE process)
{
    DWORD count = 0;
    GetProcessHandleCount(process, &count);
    return count != 0 ? static_cast<long>(count) : HandlesInSystemTable(GetProcessId(process));
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
