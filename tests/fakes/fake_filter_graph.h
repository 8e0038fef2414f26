#pragma once

#include <windows.h>
#include <dshow.h>

#include <map>
#include <string>
#include <vector>

#include "fakes/fake_filters.h"

// How the graphs created from now on behave.
struct FakeGraphScript {
    bool failCreate = false;
    const IID* missingInterface = nullptr;  // QueryInterface refuses this one
    HRESULT renderResult = S_OK;
    DWORD renderLastError = 0;              // left as last-error by a failed render
    bool cueStalls = false;                 // a paused graph never gets its first samples
    // The filters RenderFile chooses for a file, by path, nearest the source
    // first; any other file gets a parser and a renderer.
    std::map<std::wstring, std::vector<CLSID>> chains;
};

// A filter graph that plays nothing: tests set its state and duration and
// read back what the channel did to it: its transport calls, seeks and the
// start times it was run at. `resumesOnRewind` false models a graph that
// ignores a seek while running and at its end, as Wine's does once it has
// handled end-of-stream. RenderFile adds a source and
// connects the scripted chain after it, taking for each link an unconnected
// filter of that class already in the graph (the one added last first) and
// otherwise adding one of its own, as intelligent connect asks the mapper.
// Render of the agent's own memory source's pin does the same for the file
// that source names, a fake source standing in for it in the chain.
class FakeFilterGraph final : public IGraphBuilder,
                        public IMediaControl,
                        public IMediaPosition,
                        public IBasicAudio,
                        public IMediaFilter,
                        public IMediaSeeking {
public:
    explicit FakeFilterGraph(const FakeGraphScript& script);
    ~FakeFilterGraph();

    OAFilterState state = State_Stopped;
    double duration = 0.0;
    double position = 0.0;
    double stopTime = 0.0;
    long volume = 0;
    bool resumesOnRewind = true;
    std::wstring renderedPath;
    int runCalls = 0;
    int stopCalls = 0;
    int seekCalls = 0;
    // Transport and seek calls in the order they came: "Run", "Stop",
    // "Pause", "Seek 1.5", "Run at 1030" (an explicit start, in milliseconds
    // of the reference clock).
    std::vector<std::string> calls;
    // The end the last seek through IMediaSeeking named, in seconds.
    double seekEnd = 0.0;
    // The start times of the explicit runs, in milliseconds.
    std::vector<LONGLONG> startsMs;
    IReferenceClock* syncSource = nullptr;
    // Seeks while the graph was not stopped: they flush what the renderer
    // had queued.
    int flushes = 0;
    // The filters in the graph, each referenced, in the order they came.
    std::vector<FakeFilter*> filters;
    // The classes the channel added itself, in order, and under which names.
    std::vector<CLSID> offered;
    std::vector<std::wstring> offeredNames;
    int removeCalls = 0;
    // Renders of a file or of a source pin, and of those the pin ones.
    int renderCalls = 0;
    int pinRenders = 0;
    // Filters added that are no fakes (the memory source), each referenced.
    std::vector<IBaseFilter*> foreign;
    // Filters RenderFile had to find for itself.
    int mapperQueries = 0;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch (shared by the three automation interfaces)
    STDMETHODIMP GetTypeInfoCount(UINT*) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

    // IFilterGraph / IGraphBuilder
    STDMETHODIMP AddFilter(IBaseFilter*, LPCWSTR) override;
    STDMETHODIMP RemoveFilter(IBaseFilter*) override;
    STDMETHODIMP EnumFilters(IEnumFilters**) override;
    STDMETHODIMP FindFilterByName(LPCWSTR, IBaseFilter**) override;
    STDMETHODIMP ConnectDirect(IPin*, IPin*, const AM_MEDIA_TYPE*) override;
    STDMETHODIMP Reconnect(IPin*) override;
    STDMETHODIMP Disconnect(IPin*) override;
    STDMETHODIMP SetDefaultSyncSource() override;
    STDMETHODIMP Connect(IPin*, IPin*) override;
    STDMETHODIMP Render(IPin*) override;
    STDMETHODIMP RenderFile(LPCWSTR file, LPCWSTR playList) override;
    STDMETHODIMP AddSourceFilter(LPCWSTR, LPCWSTR, IBaseFilter**) override;
    STDMETHODIMP SetLogFile(DWORD_PTR) override;
    STDMETHODIMP Abort() override;
    STDMETHODIMP ShouldOperationContinue() override;

    // IMediaControl (Pause and Stop serve IMediaFilter too)
    STDMETHODIMP Run() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Stop() override;
    STDMETHODIMP GetState(LONG timeout, OAFilterState* out) override;
    STDMETHODIMP RenderFile(BSTR) override;
    STDMETHODIMP AddSourceFilter(BSTR, IDispatch**) override;
    STDMETHODIMP get_FilterCollection(IDispatch**) override;
    STDMETHODIMP get_RegFilterCollection(IDispatch**) override;
    STDMETHODIMP StopWhenReady() override;

    // IMediaPosition
    STDMETHODIMP get_Duration(REFTIME* out) override;
    STDMETHODIMP put_CurrentPosition(REFTIME value) override;
    STDMETHODIMP get_CurrentPosition(REFTIME* out) override;
    STDMETHODIMP get_StopTime(REFTIME* out) override;
    STDMETHODIMP put_StopTime(REFTIME value) override;
    STDMETHODIMP get_PrerollTime(REFTIME*) override;
    STDMETHODIMP put_PrerollTime(REFTIME) override;
    STDMETHODIMP put_Rate(double) override;
    STDMETHODIMP get_Rate(double*) override;
    STDMETHODIMP CanSeekForward(LONG*) override;
    STDMETHODIMP CanSeekBackward(LONG*) override;

    // IBasicAudio
    STDMETHODIMP put_Volume(long value) override;
    STDMETHODIMP get_Volume(long* out) override;
    STDMETHODIMP put_Balance(long) override;
    STDMETHODIMP get_Balance(long*) override;

    // IPersist, IMediaFilter
    STDMETHODIMP GetClassID(CLSID* out) override;
    STDMETHODIMP Run(REFERENCE_TIME start) override;
    STDMETHODIMP GetState(DWORD timeout, FILTER_STATE* out) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* clock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;

    // IMediaSeeking: SetPositions seeks as put_CurrentPosition does, and
    // keeps the end it names; nothing else is used by the agent.
    STDMETHODIMP SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                              DWORD stopFlags) override;
    STDMETHODIMP GetCapabilities(DWORD*) override;
    STDMETHODIMP CheckCapabilities(DWORD*) override;
    STDMETHODIMP IsFormatSupported(const GUID*) override;
    STDMETHODIMP QueryPreferredFormat(GUID*) override;
    STDMETHODIMP GetTimeFormat(GUID*) override;
    STDMETHODIMP IsUsingTimeFormat(const GUID*) override;
    STDMETHODIMP SetTimeFormat(const GUID*) override;
    STDMETHODIMP GetDuration(LONGLONG*) override;
    STDMETHODIMP GetStopPosition(LONGLONG*) override;
    STDMETHODIMP GetCurrentPosition(LONGLONG*) override;
    STDMETHODIMP ConvertTimeFormat(LONGLONG*, const GUID*, LONGLONG, const GUID*) override;
    STDMETHODIMP GetPositions(LONGLONG*, LONGLONG*) override;
    STDMETHODIMP GetAvailable(LONGLONG*, LONGLONG*) override;
    STDMETHODIMP SetRate(double) override;
    STDMETHODIMP GetRate(double*) override;
    STDMETHODIMP GetPreroll(LONGLONG*) override;

    // The classes of the filters from the source along its connections.
    std::vector<CLSID> ConnectedClasses() const;

private:
    HRESULT RenderChain(LPCWSTR file);
    void Insert(FakeFilter* filter, LPCWSTR name);
    FakeFilter* UnconnectedFilter(const CLSID& clsid) const;

    FakeGraphScript script_;
    ULONG references_ = 1;
};

// Registers the fake as CLSID_FilterGraph's class object in this process, so
// the product's own CoCreateInstance call gets it, and the fake filters'
// class objects with it. Needs CoInitialize first.
void InstallFakeFilterGraph();

// What the next graphs will do; reset with `NextGraphs() = FakeGraphScript()`.
FakeGraphScript& NextGraphs();

// The most recently created graph while it is alive, else null.
FakeFilterGraph* LatestGraph();

// Graphs created and not yet released to zero.
int LiveGraphs();

// Graphs created since the process started.
int GraphsCreated();
