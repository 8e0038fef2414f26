#pragma once

#include <windows.h>
#include <dshow.h>

#include "playback/memory_file.h"
#include "playback/memory_source_pin.h"

// The class of the memory source; not registered, only reported.
extern const CLSID CLSID_QuavelMemorySource;

// A source filter offering the bytes of a file read into memory, so that the
// file need not stay open while its graph lives: one output pin (see
// memory_source_pin.h) that the parser pulls from. It answers
// IFileSourceFilter with the file's path and type, so that whatever looks for
// a graph's file source (ReadFilterChain does) finds it as it finds the
// platform's own; it cannot be loaded with another file.
//
// A source is pulled from, so running it starts nothing: its state only
// tells its pin whether it may connect. The graph calls it on its own thread.
class MemorySourceFilter final : public IBaseFilter, public IFileSourceFilter {
public:
    // A new source (one reference, the caller's) over `file`, which it
    // references for its life.
    static HRESULT Create(MemoryFile* file, IBaseFilter** filter);

    // Connections change only while stopped, by contract.
    bool Stopped();

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetClassID(CLSID* clsid) override;

    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME start) override;
    STDMETHODIMP GetState(DWORD timeoutMs, FILTER_STATE* state) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* clock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;

    STDMETHODIMP EnumPins(IEnumPins** pins) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* info) override;

    STDMETHODIMP Load(LPCOLESTR path, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP GetCurFile(LPOLESTR* path, AM_MEDIA_TYPE* type) override;

private:
    explicit MemorySourceFilter(MemoryFile* file);
    ~MemorySourceFilter();
    MemorySourceFilter(const MemorySourceFilter&);
    MemorySourceFilter& operator=(const MemorySourceFilter&);

    void SetState(FILTER_STATE state);

    volatile LONG references_;
    MemoryFile* file_;
    // Guards the state, the clock, the graph and the name.
    CRITICAL_SECTION lock_;
    FILTER_STATE state_;
    IReferenceClock* clock_;
    // Not referenced: the graph holds the filter, and tells it when it lets go.
    IFilterGraph* graph_;
    WCHAR name_[MAX_FILTER_NAME];
    MemorySourcePin pin_;
};
