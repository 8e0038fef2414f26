#pragma once

#include <windows.h>
#include <dshow.h>

#include "playback/memory_file.h"
#include "playback/read_queue.h"

// IAsyncReader over the bytes of a file in memory: how a parser pulls the
// stream from the memory source's output pin, as it pulls a file through the
// platform's file source. Wine's parsers (parser_sink_connect and read_thread
// in dlls/winegstreamer/quartz_parser.c) call only Length, then SyncRead
// from a streaming thread of their own, and BeginFlush/EndFlush around every
// seek; pullers on Windows also agree an allocator and queue reads
// (RequestAllocator, Request, WaitForNext) or read whole samples
// (SyncReadAligned). Every read is served from memory at once; one reaching
// past the end is cut there and reports S_FALSE, as the interface's contract
// says. Sample time stamps carry byte offsets times 10,000,000, the stop
// exclusive; a finished sample's stop is set to where its data ends.
//
// The reader is part of a pin: its IUnknown is the pin's, and so are its
// references. The bytes never change, so reads take no lock but the queue's.
class MemoryReader final : public IAsyncReader {
public:
    // `pin` answers IUnknown for the reader; `file` outlives the reader.
    MemoryReader(IPin* pin, const MemoryFile* file);

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP RequestAllocator(IMemAllocator* preferred, ALLOCATOR_PROPERTIES* wanted,
                                  IMemAllocator** allocator) override;
    STDMETHODIMP Request(IMediaSample* sample, DWORD_PTR cookie) override;
    STDMETHODIMP WaitForNext(DWORD timeoutMs, IMediaSample** sample, DWORD_PTR* cookie) override;
    STDMETHODIMP SyncReadAligned(IMediaSample* sample) override;
    STDMETHODIMP SyncRead(LONGLONG position, LONG length, BYTE* buffer) override;
    STDMETHODIMP Length(LONGLONG* total, LONGLONG* available) override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;

private:
    MemoryReader(const MemoryReader&);
    MemoryReader& operator=(const MemoryReader&);

    // What a sample asks for, in bytes.
    struct Range {
        LONGLONG start;
        LONG length;
        BYTE* buffer;
    };
    HRESULT RangeOf(IMediaSample* sample, Range* range);
    HRESULT Fill(IMediaSample* sample, const Range& range);
    LONG Copy(LONGLONG start, LONG length, BYTE* buffer);
    HRESULT Agree(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* wanted, IMemAllocator** agreed);

    IPin* pin_;
    const MemoryFile* file_;
    // The alignment agreed in RequestAllocator: 1 until then.
    volatile LONG alignment_;
    ReadQueue reads_;
};
