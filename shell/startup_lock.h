#pragma once

#include <windows.h>

// Held by a starting agent while it checks for another agent and creates its
// window. Agents started together take turns here, so exactly one of them
// finds no agent and serves; the others then find its window and exit.
class StartupLock {
public:
    StartupLock();
    ~StartupLock();

private:
    StartupLock(const StartupLock&);
    StartupLock& operator=(const StartupLock&);

    HANDLE mutex_;
};
