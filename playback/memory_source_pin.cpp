#include "playback/memory_source_pin.h"

#include <cstring>
#include <cwchar>

#include "playback/guarded_reference.h"
#include "playback/media_types.h"
#include "playback/memory_source_filter.h"
#include "playback/pin_enumerators.h"
#include "playback/stream_type.h"

const WCHAR kMemorySourcePinName[] = L"Output";

MemorySourcePin::MemorySourcePin(MemorySourceFilter* filter, const MemoryFile* file)
    : filter_(filter), peer_(NULL), reader_(this, file)
{
    StreamTypeOf(file->Path(), file->Bytes(), file->Size(), &types_[0]);
    types_[1] = types_[0];
    types_[1].majortype = MEDIATYPE_Stream;
    types_[1].subtype = GUID_NULL;
    memset(&connected_, 0, sizeof connected_);
    InitializeCriticalSection(&lock_);
}

MemorySourcePin::~MemorySourcePin()
{
    if (peer_)
        peer_->Release();
    ClearMediaType(&connected_);
    DeleteCriticalSection(&lock_);
}

STDMETHODIMP MemorySourcePin::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPin)) {
        *object = static_cast<IPin*>(this);
    } else if (IsEqualIID(iid, IID_IAsyncReader)) {
        *object = static_cast<IAsyncReader*>(&reader_);
    } else {
        *object = NULL;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) MemorySourcePin::AddRef()
{
    return filter_->AddRef();
}

STDMETHODIMP_(ULONG) MemorySourcePin::Release()
{
    return filter_->Release();
}

// The receiver's own types first, then the pin's, as pins connect by
// contract; Wine's parsers offer none on their input and take the first of
// the pin's they recognise.
STDMETHODIMP MemorySourcePin::Connect(IPin* receiver, const AM_MEDIA_TYPE* wanted)
{
    if (!receiver)
        return E_POINTER;
    PIN_DIRECTION direction = PINDIR_OUTPUT;
    if (FAILED(receiver->QueryDirection(&direction)) || direction != PINDIR_INPUT)
        return VFW_E_INVALID_DIRECTION;
    EnterCriticalSection(&lock_);
    HRESULT state = peer_ ? VFW_E_ALREADY_CONNECTED : S_OK;
    LeaveCriticalSection(&lock_);
    if (SUCCEEDED(state) && !filter_->Stopped())
        state = VFW_E_NOT_STOPPED;
    if (FAILED(state))
        return state;

    if (SUCCEEDED(TryTypesOf(receiver, wanted)))
        return S_OK;
    for (int i = 0; i < kTypes; ++i) {
        if (FitsPartialType(wanted, types_[i]) && SUCCEEDED(TryType(receiver, types_[i])))
            return S_OK;
    }
    return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT MemorySourcePin::TryTypesOf(IPin* receiver, const AM_MEDIA_TYPE* wanted)
{
    IEnumMediaTypes* types = NULL;
    if (FAILED(receiver->EnumMediaTypes(&types)) || !types)
        return VFW_E_NO_ACCEPTABLE_TYPES;
    HRESULT result = VFW_E_NO_ACCEPTABLE_TYPES;
    AM_MEDIA_TYPE* type = NULL;
    while (FAILED(result) && types->Next(1, &type, NULL) == S_OK) {
        if (FitsPartialType(wanted, *type))
            result = TryType(receiver, *type);
        ClearMediaType(type);
        CoTaskMemFree(type);
    }
    types->Release();
    return result;
}

// The connection is in place before the receiver is asked, as the receiver
// may ask for it while it accepts: Wine's parsers start pulling from their
// ReceiveConnection.
HRESULT MemorySourcePin::TryType(IPin* receiver, const AM_MEDIA_TYPE& type)
{
    if (QueryAccept(&type) != S_OK)
        return VFW_E_TYPE_NOT_ACCEPTED;
    EnterCriticalSection(&lock_);
    HRESULT result = peer_ ? VFW_E_ALREADY_CONNECTED : CopyMediaTypeInto(type, &connected_);
    if (SUCCEEDED(result)) {
        receiver->AddRef();
        peer_ = receiver;
    }
    LeaveCriticalSection(&lock_);
    if (FAILED(result))
        return result;
    result = receiver->ReceiveConnection(this, &type);
    if (FAILED(result))
        DropConnection();
    return result;
}

bool MemorySourcePin::DropConnection()
{
    EnterCriticalSection(&lock_);
    IPin* peer = peer_;
    peer_ = NULL;
    ClearMediaType(&connected_);
    LeaveCriticalSection(&lock_);
    if (!peer)
        return false;
    peer->Release();
    return true;
}

// Output pins only connect, they are never connected to.
STDMETHODIMP MemorySourcePin::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*)
{
    return E_UNEXPECTED;
}

STDMETHODIMP MemorySourcePin::Disconnect()
{
    if (!filter_->Stopped())
        return VFW_E_NOT_STOPPED;
    return DropConnection() ? S_OK : S_FALSE;
}

STDMETHODIMP MemorySourcePin::ConnectedTo(IPin** pin)
{
    if (!pin)
        return E_POINTER;
    *pin = ReferenceUnder(&lock_, &peer_);
    return *pin ? S_OK : VFW_E_NOT_CONNECTED;
}

STDMETHODIMP MemorySourcePin::ConnectionMediaType(AM_MEDIA_TYPE* type)
{
    if (!type)
        return E_POINTER;
    EnterCriticalSection(&lock_);
    HRESULT result = VFW_E_NOT_CONNECTED;
    if (peer_)
        result = CopyMediaTypeInto(connected_, type);
    else
        memset(type, 0, sizeof *type);
    LeaveCriticalSection(&lock_);
    return result;
}

STDMETHODIMP MemorySourcePin::QueryPinInfo(PIN_INFO* info)
{
    if (!info)
        return E_POINTER;
    info->pFilter = filter_;
    filter_->AddRef();
    info->dir = PINDIR_OUTPUT;
    wcscpy(info->achName, kMemorySourcePinName);
    return S_OK;
}

STDMETHODIMP MemorySourcePin::QueryDirection(PIN_DIRECTION* direction)
{
    if (!direction)
        return E_POINTER;
    *direction = PINDIR_OUTPUT;
    return S_OK;
}

STDMETHODIMP MemorySourcePin::QueryId(LPWSTR* id)
{
    if (!id)
        return E_POINTER;
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof kMemorySourcePinName));
    if (!*id)
        return E_OUTOFMEMORY;
    memcpy(*id, kMemorySourcePinName, sizeof kMemorySourcePinName);
    return S_OK;
}

// What the pin offers it accepts: the file's type, or a byte stream of no
// particular subtype. The bytes are the same whatever the format block says.
STDMETHODIMP MemorySourcePin::QueryAccept(const AM_MEDIA_TYPE* type)
{
    if (!type)
        return E_POINTER;
    for (int i = 0; i < kTypes; ++i) {
        if (IsEqualGUID(type->majortype, types_[i].majortype) &&
            IsEqualGUID(type->subtype, types_[i].subtype))
            return S_OK;
    }
    return S_FALSE;
}

STDMETHODIMP MemorySourcePin::EnumMediaTypes(IEnumMediaTypes** types)
{
    return NewMediaTypeEnumerator(types_, kTypes, types);
}

// E_NOTIMPL: every input of the filter (it has none) feeds every output.
STDMETHODIMP MemorySourcePin::QueryInternalConnections(IPin**, ULONG*)
{
    return E_NOTIMPL;
}

// Stream notifications travel downstream, to input pins only.
STDMETHODIMP MemorySourcePin::EndOfStream()
{
    return E_UNEXPECTED;
}

STDMETHODIMP MemorySourcePin::BeginFlush()
{
    return E_UNEXPECTED;
}

STDMETHODIMP MemorySourcePin::EndFlush()
{
    return E_UNEXPECTED;
}

STDMETHODIMP MemorySourcePin::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double)
{
    return E_UNEXPECTED;
}
