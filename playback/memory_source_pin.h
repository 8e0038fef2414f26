#pragma once

#include <windows.h>
#include <dshow.h>

#include "playback/memory_file.h"
#include "playback/memory_reader.h"

class MemorySourceFilter;

// The memory source's one output pin: a byte stream of the type the
// platform's file source gives the same file (see stream_type.h), read
// through its IAsyncReader (see memory_reader.h). A puller connects to it:
// the graph calls Connect with the parser's input pin, and the parser's
// ReceiveConnection asks for the reader and starts pulling at once, from a
// thread of its own.
//
// Its references are its filter's: the pin lives exactly as long as the
// filter. Connection calls come from the graph's thread; the lock guarding
// the connection is never held while another filter is called.
class MemorySourcePin final : public IPin {
public:
    // `file` outlives the pin.
    MemorySourcePin(MemorySourceFilter* filter, const MemoryFile* file);
    ~MemorySourcePin();

    // The type the platform's file source would give these bytes.
    const AM_MEDIA_TYPE& StreamType() const { return types_[0]; }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Connect(IPin* receiver, const AM_MEDIA_TYPE* wanted) override;
    STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
    STDMETHODIMP QueryInternalConnections(IPin** pins, ULONG* count) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

private:
    MemorySourcePin(const MemorySourcePin&);
    MemorySourcePin& operator=(const MemorySourcePin&);

    HRESULT TryTypesOf(IPin* receiver, const AM_MEDIA_TYPE* wanted);
    HRESULT TryType(IPin* receiver, const AM_MEDIA_TYPE& type);
    // False when there was none.
    bool DropConnection();

    MemorySourceFilter* filter_;
    // What the pin offers, as the platform's file source offers its own: the
    // file's type, then a byte stream of any subtype.
    static const int kTypes = 2;
    AM_MEDIA_TYPE types_[kTypes];
    CRITICAL_SECTION lock_;
    IPin* peer_;
    AM_MEDIA_TYPE connected_;
    MemoryReader reader_;
};

// The pin's name and identifier: the platform's file source names its own so.
extern const WCHAR kMemorySourcePinName[];
