#pragma once

#include <windows.h>

// What a process holds, for leak checks that count per operation. Handles
// are counted in the system's handle table, so another process's count too.
struct ProcessCounts {
    long long privateBytes;
    long handles;
    long threads;
};

// `process` needs PROCESS_QUERY_INFORMATION and PROCESS_VM_READ.
ProcessCounts CountsOf(HANDLE process);
ProcessCounts CountsOfThisProcess();
