#pragma once

#include <windows.h>

// An interface pointer that one thread sets while others read it, under a
// lock that is never held while the interface is called (but for AddRef).

// A reference to what `*held` points to now, or NULL.
template <class Interface>
Interface* ReferenceUnder(CRITICAL_SECTION* lock, Interface* const* held)
{
    EnterCriticalSection(lock);
    Interface* copy = *held;
    if (copy)
        copy->AddRef();
    LeaveCriticalSection(lock);
    return copy;
}

// Puts `replacement` (its reference handed over) in `*held`, and hands back
// what was there, for the caller to release once outside the lock.
template <class Interface>
Interface* ReplaceUnder(CRITICAL_SECTION* lock, Interface** held, Interface* replacement)
{
    EnterCriticalSection(lock);
    Interface* old = *held;
    *held = replacement;
    LeaveCriticalSection(lock);
    return old;
}
