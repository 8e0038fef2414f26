#include "fakes/fake_filter_graph.h"

#include <sstream>

#include "fakes/fake_class_factory.h"
#include "playback/memory_source_filter.h"

namespace {

FakeGraphScript nextScript;
FakeFilterGraph* latest = nullptr;
int live = 0;
int created = 0;

const wchar_t kSourceName[] = L"Reader";
const wchar_t kFoundName[] = L"Found by the mapper";

class FakeGraphFactory : public FakeClassFactory {
protected:
    HRESULT Make(IUnknown** made) override
    {
        if (nextScript.failCreate)
            return E_OUTOFMEMORY;
        *made = static_cast<IGraphBuilder*>(new FakeFilterGraph(nextScript));
        return S_OK;
    }
};

FakeGraphFactory factory;

}  // namespace

void InstallFakeFilterGraph()
{
    InstallFakeFilters();
    factory.Register(CLSID_FilterGraph);
}

FakeGraphScript& NextGraphs()
{
    return nextScript;
}

FakeFilterGraph* LatestGraph()
{
    return latest;
}

int LiveGraphs()
{
    return live;
}

int GraphsCreated()
{
    return created;
}

FakeFilterGraph::FakeFilterGraph(const FakeGraphScript& script) : script_(script)
{
    latest = this;
    ++live;
    ++created;
}

FakeFilterGraph::~FakeFilterGraph()
{
    for (FakeFilter* filter : filters) {
        filter->DisconnectAll();
        filter->Release();
    }
    for (IBaseFilter* filter : foreign) {
        filter->JoinFilterGraph(nullptr, nullptr);
        filter->Release();
    }
    if (syncSource)
        syncSource->Release();
    if (latest == this)
        latest = nullptr;
    --live;
}

STDMETHODIMP FakeFilterGraph::QueryInterface(REFIID iid, void** object)
{
    *object = nullptr;
    if (script_.missingInterface && iid == *script_.missingInterface)
        return E_NOINTERFACE;
    if (iid == IID_IUnknown || iid == IID_IGraphBuilder || iid == IID_IFilterGraph)
        *object = static_cast<IGraphBuilder*>(this);
    else if (iid == IID_IMediaControl)
        *object = static_cast<IMediaControl*>(this);
    else if (iid == IID_IMediaPosition)
        *object = static_cast<IMediaPosition*>(this);
    else if (iid == IID_IBasicAudio)
        *object = static_cast<IBasicAudio*>(this);
    else if (iid == IID_IMediaFilter)
        *object = static_cast<IMediaFilter*>(this);
    else if (iid == IID_IMediaSeeking)
        *object = static_cast<IMediaSeeking*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) FakeFilterGraph::AddRef()
{
    return ++references_;
}

STDMETHODIMP_(ULONG) FakeFilterGraph::Release()
{
    ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

STDMETHODIMP FakeFilterGraph::RenderFile(LPCWSTR file, LPCWSTR)
{
    return RenderChain(file);
}

STDMETHODIMP FakeFilterGraph::Render(IPin* pin)
{
    PIN_INFO info;
    pin->QueryPinInfo(&info);
    IFileSourceFilter* source = nullptr;
    info.pFilter->QueryInterface(IID_IFileSourceFilter, reinterpret_cast<void**>(&source));
    info.pFilter->Release();
    LPOLESTR file = nullptr;
    source->GetCurFile(&file, nullptr);
    source->Release();
    ++pinRenders;
    HRESULT result = RenderChain(file);
    CoTaskMemFree(file);
    return result;
}

HRESULT FakeFilterGraph::RenderChain(LPCWSTR file)
{
    renderedPath = file;
    ++renderCalls;
    if (FAILED(script_.renderResult)) {
        SetLastError(script_.renderLastError);
        return script_.renderResult;
    }
    std::vector<CLSID> chain = {CLSID_FakeParser, CLSID_FakeRenderer};
    auto scripted = script_.chains.find(file);
    if (scripted != script_.chains.end())
        chain = scripted->second;

    FakeFilter* previous = new FakeFilter(CLSID_FakeSource);
    Insert(previous, kSourceName);
    previous->Release();
    for (const CLSID& clsid : chain) {
        FakeFilter* next = UnconnectedFilter(clsid);
        if (!next) {
            ++mapperQueries;
            next = new FakeFilter(clsid);
            Insert(next, kFoundName);
            next->Release();
        }
        previous->ConnectTo(next);
        previous = next;
    }
    return S_OK;
}

void FakeFilterGraph::Insert(FakeFilter* filter, LPCWSTR name)
{
    filter->AddRef();
    filter->JoinFilterGraph(this, name);
    filters.push_back(filter);
}

FakeFilter* FakeFilterGraph::UnconnectedFilter(const CLSID& clsid) const
{
    for (auto filter = filters.rbegin(); filter != filters.rend(); ++filter) {
        if ((*filter)->clsid == clsid && !(*filter)->Connected())
            return *filter;
    }
    return nullptr;
}

std::vector<CLSID> FakeFilterGraph::ConnectedClasses() const
{
    std::vector<CLSID> classes;
    for (FakeFilter* filter : filters) {
        if (filter->clsid != CLSID_FakeSource)
            continue;
        for (FakeFilter* link = filter; link; link = link->output.peer ? link->output.peer->Owner() : nullptr)
            classes.push_back(link->clsid);
    }
    return classes;
}

// Only the fake filters are ever offered; the memory source is the agent's own.
STDMETHODIMP FakeFilterGraph::AddFilter(IBaseFilter* filter, LPCWSTR name)
{
    CLSID clsid = GUID_NULL;
    filter->GetClassID(&clsid);
    if (clsid == CLSID_QuavelMemorySource) {
        filter->AddRef();
        filter->JoinFilterGraph(this, name);
        foreign.push_back(filter);
        return S_OK;
    }
    FakeFilter* fake = static_cast<FakeFilter*>(filter);
    offered.push_back(fake->clsid);
    offeredNames.push_back(name ? name : L"");
    Insert(fake, name);
    return S_OK;
}

// Models the platform calls after a render overwriting the thread's last
// error.
STDMETHODIMP FakeFilterGraph::RemoveFilter(IBaseFilter* filter)
{
    ++removeCalls;
    SetLastError(ERROR_INVALID_HANDLE);
    for (auto present = filters.begin(); present != filters.end(); ++present) {
        if (static_cast<IBaseFilter*>(*present) == filter) {
            (*present)->DisconnectAll();
            (*present)->Release();
            filters.erase(present);
            return S_OK;
        }
    }
    for (auto present = foreign.begin(); present != foreign.end(); ++present) {
        if (*present == filter) {
            filter->JoinFilterGraph(nullptr, nullptr);
            filter->Release();
            foreign.erase(present);
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP FakeFilterGraph::EnumFilters(IEnumFilters** out)
{
    *out = NewFilterEnumerator(filters);
    return S_OK;
}

STDMETHODIMP FakeFilterGraph::Run()
{
    ++runCalls;
    calls.push_back("Run");
    state = State_Running;
    return S_OK;
}

STDMETHODIMP FakeFilterGraph::Stop()
{
    ++stopCalls;
    calls.push_back("Stop");
    state = State_Stopped;
    return S_OK;
}

STDMETHODIMP FakeFilterGraph::GetState(LONG, OAFilterState* out)
{
    *out = state;
    return state == State_Paused && script_.cueStalls ? VFW_S_STATE_INTERMEDIATE : S_OK;
}

STDMETHODIMP FakeFilterGraph::GetState(DWORD timeout, FILTER_STATE* out)
{
    OAFilterState read = State_Stopped;
    HRESULT result = GetState(static_cast<LONG>(timeout), &read);
    *out = static_cast<FILTER_STATE>(read);
    return result;
}

STDMETHODIMP FakeFilterGraph::Run(REFERENCE_TIME start)
{
    LONGLONG ms = start / 10000;
    startsMs.push_back(ms);
    std::ostringstream call;
    call << "Run at " << ms;
    calls.push_back(call.str());
    state = State_Running;
    return S_OK;
}

STDMETHODIMP FakeFilterGraph::SetSyncSource(IReferenceClock* clock)
{
    if (clock)
        clock->AddRef();
    if (syncSource)
        syncSource->Release();
    syncSource = clock;
    return S_OK;
}

STDMETHODIMP FakeFilterGraph::GetSyncSource(IReferenceClock** clock)
{
    *clock = syncSource;
    if (syncSource)
        syncSource->AddRef();
    return S_OK;
}

STDMETHODIMP FakeFilterGraph::GetClassID(CLSID* out)
{
    *out = CLSID_FilterGraph;
    return S_OK;
}

STDMETHODIMP FakeFilterGraph::get_Duration(REFTIME* out)
{
    *out = duration;
    return S_OK;
}

STDMETHODIMP FakeFilterGraph::Pause()
{
    calls.push_back("Pause");
    state = State_Paused;
    return S_OK;
}

STDMETHODIMP FakeFilterGraph::put_CurrentPosition(REFTIME value)
{
    ++seekCalls;
    std::ostringstream call;
    call << "Seek " << value;
    calls.push_back(call.str());
    if (state != State_Stopped)
        ++flushes;
    bool stuckAtEnd = !resumesOnRewind && state == State_Running && position >= duration;
    if (!stuckAtEnd)
        position = value;
    return S_OK;
}

STDMETHODIMP FakeFilterGraph::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                                           DWORD stopFlags)
{
    const double kUnitsPerSecond = 10000000.0;
    if (stop && (stopFlags & AM_SEEKING_PositioningBitsMask) == AM_SEEKING_AbsolutePositioning)
        seekEnd = *stop / kUnitsPerSecond;
    if (current && (currentFlags & AM_SEEKING_PositioningBitsMask) == AM_SEEKING_AbsolutePositioning)
        return put_CurrentPosition(*current / kUnitsPerSecond);
    return S_OK;
}

STDMETHODIMP FakeFilterGraph::get_CurrentPosition(REFTIME* out)
{
    *out = position;
    return S_OK;
}

STDMETHODIMP FakeFilterGraph::get_StopTime(REFTIME* out)
{
    *out = stopTime;
    return S_OK;
}

STDMETHODIMP FakeFilterGraph::put_StopTime(REFTIME value)
{
    stopTime = value;
    return S_OK;
}

STDMETHODIMP FakeFilterGraph::put_Volume(long value)
{
    volume = value;
    return S_OK;
}

STDMETHODIMP FakeFilterGraph::get_Volume(long* out)
{
    *out = volume;
    return S_OK;
}

// Nothing below is used by the agent.
STDMETHODIMP FakeFilterGraph::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::FindFilterByName(LPCWSTR, IBaseFilter**) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::ConnectDirect(IPin*, IPin*, const AM_MEDIA_TYPE*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::Reconnect(IPin*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::Disconnect(IPin*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::SetDefaultSyncSource() { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::Connect(IPin*, IPin*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::AddSourceFilter(LPCWSTR, LPCWSTR, IBaseFilter**) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::SetLogFile(DWORD_PTR) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::Abort() { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::ShouldOperationContinue() { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::RenderFile(BSTR) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::AddSourceFilter(BSTR, IDispatch**) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::get_FilterCollection(IDispatch**) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::get_RegFilterCollection(IDispatch**) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::StopWhenReady() { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::get_PrerollTime(REFTIME*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::put_PrerollTime(REFTIME) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::put_Rate(double) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::get_Rate(double*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::CanSeekForward(LONG*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::CanSeekBackward(LONG*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::put_Balance(long) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::GetCapabilities(DWORD*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::CheckCapabilities(DWORD*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::IsFormatSupported(const GUID*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::QueryPreferredFormat(GUID*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::GetTimeFormat(GUID*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::IsUsingTimeFormat(const GUID*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::SetTimeFormat(const GUID*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::GetDuration(LONGLONG*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::GetStopPosition(LONGLONG*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::GetCurrentPosition(LONGLONG*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::ConvertTimeFormat(LONGLONG*, const GUID*, LONGLONG, const GUID*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::GetPositions(LONGLONG*, LONGLONG*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::GetAvailable(LONGLONG*, LONGLONG*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::SetRate(double) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::GetRate(double*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::GetPreroll(LONGLONG*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilterGraph::get_Balance(long*) { return E_NOTIMPL; }
