#pragma once

#include <windows.h>

// What a process holds, for leak checks that count per operation. Under Wine
// another process's handle count reads 0: count handles in-process.
struct ProcessCounts {
    long long privateBytes;
    long handles;
    long threads;
};

// `process` needs PROCESS_QUERY_INFORMATION and PROCESS_VM_READ.
ProcessCounts CountsOf(HANDLE process);
ProcessCounts CountsOfThisProcess();
