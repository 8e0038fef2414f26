#pragma once

#include <windows.h>

// What a process holds, counted in ways Wine 8 answers too.
//
// Handles: Wine's GetProcessHandleCount reads 0 for every process, the
// caller's own included, so where it does the count comes from the system's
// handle table (NtQuerySystemInformation, extended handle information),
// which Wine's server fills from every process's table. -1 when neither
// answers.
long HandlesOfProcess(DWORD processId);

// Threads the system lists for the process.
int ThreadsOfProcess(DWORD processId);

// Private bytes: Wine reports them as PagefileUsage (its PrivateUsage of
// another process reads 0). `process` needs query and read access.
long long PrivateBytesOfProcess(HANDLE process);

// The same for the calling process.
long HandlesOfThisProcess();
int ThreadsOfThisProcess();
long long PrivateBytesOfThisProcess();
