#pragma once

#include <windows.h>
#include <dshow.h>

// The reads a puller has queued with IAsyncReader::Request and not yet
// collected with WaitForNext, and whether the reader is flushing. Reads from
// memory complete as they are queued, so the queue holds only finished ones,
// handed back first in, first out. Parsers queue and collect from their
// streaming threads while the graph flushes from its own: a critical section
// guards the queue, and an event is set while there is something to hand
// back (a finished read, or a flush that ends every wait).
//
// No reference is taken on a queued sample: the contract of Request leaves
// the caller's reference outstanding until WaitForNext hands it back.
class ReadQueue {
public:
    ReadQueue();
    ~ReadQueue();

    // Queues a finished read that `result` reports. VFW_E_WRONG_STATE while
    // flushing, E_OUTOFMEMORY when kCapacity reads wait already.
    HRESULT Push(IMediaSample* sample, DWORD_PTR cookie, HRESULT result);

    // The oldest finished read and its result, waiting up to `timeoutMs`
    // (INFINITE allowed) for one: VFW_E_TIMEOUT when none came. While
    // flushing, every read still queued comes back with VFW_E_WRONG_STATE,
    // for the caller to release, and then none, with VFW_E_WRONG_STATE.
    HRESULT Pop(DWORD timeoutMs, IMediaSample** sample, DWORD_PTR* cookie);

    // Between the two, Push fails and Pop never waits.
    void BeginFlush();
    void EndFlush();

    // More reads than a puller's allocator has buffers for.
    static const int kCapacity = 64;

private:
    ReadQueue(const ReadQueue&);
    ReadQueue& operator=(const ReadQueue&);

    struct Read {
        IMediaSample* sample;
        DWORD_PTR cookie;
        HRESULT result;
    };

    // Holds the lock: sets the event exactly while a Pop would not wait.
    void Signal();

    CRITICAL_SECTION lock_;
    HANDLE ready_;
    Read reads_[kCapacity];
    int first_;
    int count_;
    bool flushing_;
};
