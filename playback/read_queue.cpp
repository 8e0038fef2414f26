#include "playback/read_queue.h"

ReadQueue::ReadQueue() : first_(0), count_(0), flushing_(false)
{
    InitializeCriticalSection(&lock_);
    ready_ = CreateEventW(NULL, TRUE, FALSE, NULL);
}

ReadQueue::~ReadQueue()
{
    if (ready_)
        CloseHandle(ready_);
    DeleteCriticalSection(&lock_);
}

void ReadQueue::Signal()
{
    if (count_ > 0 || flushing_)
        SetEvent(ready_);
    else
        ResetEvent(ready_);
}

HRESULT ReadQueue::Push(IMediaSample* sample, DWORD_PTR cookie, HRESULT result)
{
    EnterCriticalSection(&lock_);
    HRESULT queued = S_OK;
    if (flushing_) {
        queued = VFW_E_WRONG_STATE;
    } else if (count_ == kCapacity) {
        queued = E_OUTOFMEMORY;
    } else {
        Read& read = reads_[(first_ + count_) % kCapacity];
        read.sample = sample;
        read.cookie = cookie;
        read.result = result;
        ++count_;
        Signal();
    }
    LeaveCriticalSection(&lock_);
    return queued;
}

HRESULT ReadQueue::Pop(DWORD timeoutMs, IMediaSample** sample, DWORD_PTR* cookie)
{
    *sample = NULL;
    *cookie = 0;
    DWORD start = GetTickCount();
    for (;;) {
        EnterCriticalSection(&lock_);
        if (count_ > 0) {
            const Read& read = reads_[first_];
            *sample = read.sample;
            *cookie = read.cookie;
            HRESULT result = flushing_ ? VFW_E_WRONG_STATE : read.result;
            first_ = (first_ + 1) % kCapacity;
            --count_;
            Signal();
            LeaveCriticalSection(&lock_);
            return result;
        }
        bool flushing = flushing_;
        LeaveCriticalSection(&lock_);
        if (flushing)
            return VFW_E_WRONG_STATE;

        DWORD waited = GetTickCount() - start;
        if (timeoutMs != INFINITE && waited >= timeoutMs)
            return VFW_E_TIMEOUT;
        WaitForSingleObject(ready_, timeoutMs == INFINITE ? INFINITE : timeoutMs - waited);
    }
}

void ReadQueue::BeginFlush()
{
    EnterCriticalSection(&lock_);
    flushing_ = true;
    Signal();
    LeaveCriticalSection(&lock_);
}

void ReadQueue::EndFlush()
{
    EnterCriticalSection(&lock_);
    flushing_ = false;
    Signal();
    LeaveCriticalSection(&lock_);
}
