#include "support/process_counts.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <vector>

namespace {

const ULONG kExtendedHandleInformation = 64;
const LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
const size_t kFirstTableBytes = 1 << 20;

// The system's layout of the extended handle table.
struct HandleEntry {
    void* object;
    ULONG_PTR processId;
    ULONG_PTR handleValue;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG handleAttributes;
    ULONG reserved;
};

struct HandleTable {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry handles[1];
};

typedef LONG(WINAPI* QuerySystemInformation)(ULONG, void*, ULONG, ULONG*);

long CountInSystemTable(DWORD processId)
{
    QuerySystemInformation query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return -1;
    std::vector<ULONG_PTR> table(kFirstTableBytes / sizeof(ULONG_PTR));
    for (;;) {
        ULONG needed = 0;
        ULONG bytes = static_cast<ULONG>(table.size() * sizeof(ULONG_PTR));
        LONG status = query(kExtendedHandleInformation, &table[0], bytes, &needed);
        if (status == kInfoLengthMismatch) {
            // Handles come and go between the calls: ask for room to spare.
            size_t wanted = needed > bytes ? needed : 2 * static_cast<size_t>(bytes);
            table.resize(2 * wanted / sizeof(ULONG_PTR));
            continue;
        }
        if (status < 0)
            return -1;
        const HandleTable* handles = reinterpret_cast<const HandleTable*>(&table[0]);
        long count = 0;
        for (ULONG_PTR i = 0; i < handles->count; ++i)
            count += handles->handles[i].processId == processId;
        return count;
    }
}

}  // namespace

long HandlesOfProcess(DWORD processId)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    DWORD count = 0;
    if (process) {
        GetProcessHandleCount(process, &count);
        CloseHandle(process);
    }
    return count != 0 ? static_cast<long>(count) : CountInSystemTable(processId);
}

int ThreadsOfProcess(DWORD processId)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    THREADENTRY32 entry;
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == processId;
    CloseHandle(snapshot);
    return count;
}

long long PrivateBytesOfProcess(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, &counters, sizeof counters);
    return static_cast<long long>(counters.PagefileUsage);
}

long HandlesOfThisProcess()
{
    return HandlesOfProcess(GetCurrentProcessId());
}

int ThreadsOfThisProcess()
{
    return ThreadsOfProcess(GetCurrentProcessId());
}

long long PrivateBytesOfThisProcess()
{
    return PrivateBytesOfProcess(GetCurrentProcess());
}
