#pragma once

#include <windows.h>

// An export of ntdll that the Win32 interfaces do not cover; NULL when there
// is none. Through void*: the generic procedure type converts to no other
// directly.
template <class Procedure>
Procedure NtdllProcedure(const char* name)
{
    return reinterpret_cast<Procedure>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}
