#include "playback/memory_source_filter.h"

#include <cstring>
#include <cwchar>
#include <new>

#include "playback/guarded_reference.h"
#include "playback/media_types.h"
#include "playback/pin_enumerators.h"

// {9F77D41B-F11F-4E71-A439-AF620C8A4FE1}
const CLSID CLSID_QuavelMemorySource = {
    0x9f77d41b, 0xf11f, 0x4e71, {0xa4, 0x39, 0xaf, 0x62, 0x0c, 0x8a, 0x4f, 0xe1}};

HRESULT MemorySourceFilter::Create(MemoryFile* file, IBaseFilter** filter)
{
    if (!file || !filter)
        return E_POINTER;
    *filter = new (std::nothrow) MemorySourceFilter(file);
    return *filter ? S_OK : E_OUTOFMEMORY;
}

MemorySourceFilter::MemorySourceFilter(MemoryFile* file)
    : references_(1), file_(file), state_(State_Stopped), clock_(NULL), graph_(NULL),
      pin_(this, file)
{
    file_->AddRef();
    name_[0] = L'\0';
    InitializeCriticalSection(&lock_);
}

MemorySourceFilter::~MemorySourceFilter()
{
    if (clock_)
        clock_->Release();
    DeleteCriticalSection(&lock_);
    file_->Release();
}

bool MemorySourceFilter::Stopped()
{
    EnterCriticalSection(&lock_);
    bool stopped = state_ == State_Stopped;
    LeaveCriticalSection(&lock_);
    return stopped;
}

STDMETHODIMP MemorySourceFilter::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPersist) ||
        IsEqualIID(iid, IID_IMediaFilter) || IsEqualIID(iid, IID_IBaseFilter)) {
        *object = static_cast<IBaseFilter*>(this);
    } else if (IsEqualIID(iid, IID_IFileSourceFilter)) {
        *object = static_cast<IFileSourceFilter*>(this);
    } else {
        *object = NULL;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) MemorySourceFilter::AddRef()
{
    return InterlockedIncrement(&references_);
}

STDMETHODIMP_(ULONG) MemorySourceFilter::Release()
{
    ULONG left = InterlockedDecrement(&references_);
    if (left == 0)
        delete this;
    return left;
}

STDMETHODIMP MemorySourceFilter::GetClassID(CLSID* clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_QuavelMemorySource;
    return S_OK;
}

void MemorySourceFilter::SetState(FILTER_STATE state)
{
    EnterCriticalSection(&lock_);
    state_ = state;
    LeaveCriticalSection(&lock_);
}

STDMETHODIMP MemorySourceFilter::Stop()
{
    SetState(State_Stopped);
    return S_OK;
}

STDMETHODIMP MemorySourceFilter::Pause()
{
    SetState(State_Paused);
    return S_OK;
}

STDMETHODIMP MemorySourceFilter::Run(REFERENCE_TIME)
{
    SetState(State_Running);
    return S_OK;
}

// Every change is complete as it is made.
STDMETHODIMP MemorySourceFilter::GetState(DWORD, FILTER_STATE* state)
{
    if (!state)
        return E_POINTER;
    EnterCriticalSection(&lock_);
    *state = state_;
    LeaveCriticalSection(&lock_);
    return S_OK;
}

STDMETHODIMP MemorySourceFilter::SetSyncSource(IReferenceClock* clock)
{
    if (clock)
        clock->AddRef();
    IReferenceClock* old = ReplaceUnder(&lock_, &clock_, clock);
    if (old)
        old->Release();
    return S_OK;
}

STDMETHODIMP MemorySourceFilter::GetSyncSource(IReferenceClock** clock)
{
    if (!clock)
        return E_POINTER;
    *clock = ReferenceUnder(&lock_, &clock_);
    return S_OK;
}

STDMETHODIMP MemorySourceFilter::EnumPins(IEnumPins** pins)
{
    IPin* only = &pin_;
    return NewPinEnumerator(&only, 1, pins);
}

STDMETHODIMP MemorySourceFilter::FindPin(LPCWSTR id, IPin** pin)
{
    if (!id || !pin)
        return E_POINTER;
    if (wcscmp(id, kMemorySourcePinName) != 0) {
        *pin = NULL;
        return VFW_E_NOT_FOUND;
    }
    *pin = &pin_;
    pin_.AddRef();
    return S_OK;
}

STDMETHODIMP MemorySourceFilter::QueryFilterInfo(FILTER_INFO* info)
{
    if (!info)
        return E_POINTER;
    EnterCriticalSection(&lock_);
    memcpy(info->achName, name_, sizeof name_);
    info->pGraph = graph_;
    if (graph_)
        graph_->AddRef();
    LeaveCriticalSection(&lock_);
    return S_OK;
}

// Names longer than a filter's name can hold are cut.
STDMETHODIMP MemorySourceFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name)
{
    EnterCriticalSection(&lock_);
    graph_ = graph;
    name_[0] = L'\0';
    if (name) {
        wcsncpy(name_, name, MAX_FILTER_NAME - 1);
        name_[MAX_FILTER_NAME - 1] = L'\0';
    }
    LeaveCriticalSection(&lock_);
    return S_OK;
}

STDMETHODIMP MemorySourceFilter::QueryVendorInfo(LPWSTR*)
{
    return E_NOTIMPL;
}

// The source is made with its file's bytes and offers no other.
STDMETHODIMP MemorySourceFilter::Load(LPCOLESTR, const AM_MEDIA_TYPE*)
{
    return E_UNEXPECTED;
}

STDMETHODIMP MemorySourceFilter::GetCurFile(LPOLESTR* path, AM_MEDIA_TYPE* type)
{
    if (!path)
        return E_POINTER;
    size_t bytes = (wcslen(file_->Path()) + 1) * sizeof(WCHAR);
    *path = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (!*path)
        return E_OUTOFMEMORY;
    memcpy(*path, file_->Path(), bytes);
    if (!type)
        return S_OK;
    HRESULT result = CopyMediaTypeInto(pin_.StreamType(), type);
    if (FAILED(result)) {
        CoTaskMemFree(*path);
        *path = NULL;
    }
    return result;
}
