#include "shell/startup_lock.h"

namespace {

const char kLockName[] = "QuavelAgentStartup";

// Far longer than any check and window creation; a holder stuck past it must
// not keep every later agent from starting.
const DWORD kLongestWaitMs = 10000;

}  // namespace

// A lock that cannot be had (no mutex, or the wait runs out) is done
// without: the class-name check alone still catches all but a near tie.
StartupLock::StartupLock() : mutex_(CreateMutexA(NULL, FALSE, kLockName))
{
    if (!mutex_)
        return;
    DWORD waited = WaitForSingleObject(mutex_, kLongestWaitMs);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex_);
        mutex_ = NULL;
    }
}

StartupLock::~StartupLock()
{
    if (!mutex_)
        return;
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
}
