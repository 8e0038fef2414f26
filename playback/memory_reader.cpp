#include "playback/memory_reader.h"

#include <cstring>

namespace {

// Sample times count bytes in these units.
const LONGLONG kUnitsPerByte = 10000000;

bool Aligned(LONGLONG value, LONG alignment)
{
    return value % alignment == 0;
}

}  // namespace

MemoryReader::MemoryReader(IPin* pin, const MemoryFile* file)
    : pin_(pin), file_(file), alignment_(1)
{
}

STDMETHODIMP MemoryReader::QueryInterface(REFIID iid, void** object)
{
    return pin_->QueryInterface(iid, object);
}

STDMETHODIMP_(ULONG) MemoryReader::AddRef()
{
    return pin_->AddRef();
}

STDMETHODIMP_(ULONG) MemoryReader::Release()
{
    return pin_->Release();
}

// Bytes in memory need no alignment; what the allocator agrees is kept
// only to hold callers to it, as the contract of the aligned reads says.
HRESULT MemoryReader::Agree(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* wanted,
                            IMemAllocator** agreed)
{
    ALLOCATOR_PROPERTIES actual;
    HRESULT result = allocator->SetProperties(wanted, &actual);
    if (FAILED(result))
        return result;
    InterlockedExchange(&alignment_, actual.cbAlign > 0 ? actual.cbAlign : 1);
    allocator->AddRef();
    *agreed = allocator;
    return S_OK;
}

// The puller's own allocator when it takes the puller's needs, else the
// platform's memory allocator.
STDMETHODIMP MemoryReader::RequestAllocator(IMemAllocator* preferred,
                                            ALLOCATOR_PROPERTIES* wanted,
                                            IMemAllocator** allocator)
{
    if (!wanted || !allocator)
        return E_POINTER;
    *allocator = NULL;
    ALLOCATOR_PROPERTIES needs = *wanted;
    if (needs.cbAlign < 1)
        needs.cbAlign = 1;
    if (preferred && SUCCEEDED(Agree(preferred, &needs, allocator)))
        return S_OK;
    IMemAllocator* own = NULL;
    HRESULT result = CoCreateInstance(CLSID_MemoryAllocator, NULL, CLSCTX_INPROC_SERVER,
                                      IID_IMemAllocator, reinterpret_cast<void**>(&own));
    if (FAILED(result))
        return result;
    result = Agree(own, &needs, allocator);
    own->Release();
    return result;
}

HRESULT MemoryReader::RangeOf(IMediaSample* sample, Range* range)
{
    if (!sample)
        return E_POINTER;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    if (sample->GetTime(&start, &stop) != S_OK)
        return VFW_E_SAMPLE_TIME_NOT_SET;
    range->start = start / kUnitsPerByte;
    LONGLONG length = stop / kUnitsPerByte - range->start;
    if (range->start < 0 || length < 0 || length > sample->GetSize())
        return E_INVALIDARG;
    range->length = static_cast<LONG>(length);
    HRESULT result = sample->GetPointer(&range->buffer);
    if (FAILED(result))
        return result;
    LONG alignment = alignment_;
    if (!Aligned(range->start, alignment) || !Aligned(range->length, alignment) ||
        !Aligned(static_cast<LONGLONG>(reinterpret_cast<ULONG_PTR>(range->buffer)), alignment))
        return VFW_E_BADALIGN;
    return S_OK;
}

LONG MemoryReader::Copy(LONGLONG start, LONG length, BYTE* buffer)
{
    LONGLONG size = file_->Size();
    if (length == 0 || start >= size)
        return 0;
    LONG copied = start + length > size ? static_cast<LONG>(size - start) : length;
    memcpy(buffer, file_->Bytes() + start, static_cast<size_t>(copied));
    return copied;
}

HRESULT MemoryReader::Fill(IMediaSample* sample, const Range& range)
{
    LONG copied = Copy(range.start, range.length, range.buffer);
    sample->SetActualDataLength(copied);
    REFERENCE_TIME start = range.start * kUnitsPerByte;
    REFERENCE_TIME stop = (range.start + copied) * kUnitsPerByte;
    sample->SetTime(&start, &stop);
    return copied == range.length ? S_OK : S_FALSE;
}

// Served at once; the sample waits in the queue for WaitForNext.
STDMETHODIMP MemoryReader::Request(IMediaSample* sample, DWORD_PTR cookie)
{
    Range range;
    HRESULT result = RangeOf(sample, &range);
    if (FAILED(result))
        return result;
    if (range.start >= file_->Size())
        return HRESULT_FROM_WIN32(ERROR_HANDLE_EOF);
    return reads_.Push(sample, cookie, Fill(sample, range));
}

STDMETHODIMP MemoryReader::WaitForNext(DWORD timeoutMs, IMediaSample** sample, DWORD_PTR* cookie)
{
    if (!sample || !cookie)
        return E_POINTER;
    return reads_.Pop(timeoutMs, sample, cookie);
}

STDMETHODIMP MemoryReader::SyncReadAligned(IMediaSample* sample)
{
    Range range;
    HRESULT result = RangeOf(sample, &range);
    if (FAILED(result))
        return result;
    return Fill(sample, range);
}

STDMETHODIMP MemoryReader::SyncRead(LONGLONG position, LONG length, BYTE* buffer)
{
    if (position < 0 || length < 0)
        return E_INVALIDARG;
    if (!buffer && length > 0)
        return E_POINTER;
    return Copy(position, length, buffer) == length ? S_OK : S_FALSE;
}

STDMETHODIMP MemoryReader::Length(LONGLONG* total, LONGLONG* available)
{
    if (!total || !available)
        return E_POINTER;
    *total = file_->Size();
    *available = *total;
    return S_OK;
}

STDMETHODIMP MemoryReader::BeginFlush()
{
    reads_.BeginFlush();
    return S_OK;
}

STDMETHODIMP MemoryReader::EndFlush()
{
    reads_.EndFlush();
    return S_OK;
}
