#pragma once

#include <windows.h>
#include <dshow.h>

#include <string>
#include <vector>

// Filters for the fake graph to render through: a source (with
// IFileSourceFilter), and parsers, decoders and renderers that the product
// can create by class id, as it creates the platform's. Each has at most one
// input and one output pin, and knows which pin it is connected to; that is
// all the product reads of them.
extern const CLSID CLSID_FakeSource;
extern const CLSID CLSID_FakeParser;
extern const CLSID CLSID_FakeDecoder;
extern const CLSID CLSID_FakeRenderer;

class FakeFilter;

class FakePin final : public IPin {
public:
    FakePin(FakeFilter* owner, PIN_DIRECTION direction);

    FakePin* peer = nullptr;
    FakeFilter* Owner() const { return owner_; }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Connect(IPin*, const AM_MEDIA_TYPE*) override;
    STDMETHODIMP ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE*) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override;
    STDMETHODIMP QueryId(LPWSTR*) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE*) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes**) override;
    STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override;

private:
    FakeFilter* owner_;
    PIN_DIRECTION direction_;
};

class FakeFilter final : public IBaseFilter, public IFileSourceFilter {
public:
    explicit FakeFilter(const CLSID& clsid);
    ~FakeFilter();

    CLSID clsid;
    std::wstring name;
    FakePin input;
    FakePin output;

    bool HasInput() const;
    bool HasOutput() const;
    bool Connected() const;
    // Connects this filter's output to `next`'s input.
    void ConnectTo(FakeFilter* next);
    void DisconnectAll();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPersist, IMediaFilter, IBaseFilter
    STDMETHODIMP GetClassID(CLSID* out) override;
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME) override;
    STDMETHODIMP GetState(DWORD, FILTER_STATE*) override;
    STDMETHODIMP SetSyncSource(IReferenceClock*) override;
    STDMETHODIMP GetSyncSource(IReferenceClock**) override;
    STDMETHODIMP EnumPins(IEnumPins** pins) override;
    STDMETHODIMP FindPin(LPCWSTR, IPin**) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph*, LPCWSTR name) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR*) override;

    // IFileSourceFilter (answered by the source only)
    STDMETHODIMP Load(LPCOLESTR, const AM_MEDIA_TYPE*) override;
    STDMETHODIMP GetCurFile(LPOLESTR*, AM_MEDIA_TYPE*) override;

private:
    ULONG references_ = 1;
};

// Registers the class objects of the fake parser, decoder and renderer in
// this process. Needs CoInitialize first.
void InstallFakeFilters();

// The class whose instances cannot be created from now on (a remembered
// filter gone from the platform); GUID_NULL for none.
void RefuseFakeFilter(const CLSID& clsid);

// Fake filters alive, whoever made them.
int LiveFakeFilters();

// An enumerator over a snapshot of filters (each referenced while it lives).
IEnumFilters* NewFilterEnumerator(const std::vector<FakeFilter*>& filters);
