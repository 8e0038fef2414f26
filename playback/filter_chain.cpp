#include "playback/filter_chain.h"

#include <cstring>

namespace {

// The filter on the far side of `pin` (with a reference), or NULL when the
// pin is not connected.
IBaseFilter* PeerFilter(IPin* pin)
{
    IPin* peer = NULL;
    if (FAILED(pin->ConnectedTo(&peer)) || !peer)
        return NULL;
    PIN_INFO info;
    info.pFilter = NULL;
    HRESULT result = peer->QueryPinInfo(&info);
    peer->Release();
    return SUCCEEDED(result) ? info.pFilter : NULL;
}

bool IsConnected(IBaseFilter* filter)
{
    IEnumPins* pins = NULL;
    if (FAILED(filter->EnumPins(&pins)) || !pins)
        return false;
    bool connected = false;
    IPin* pin = NULL;
    while (!connected && pins->Next(1, &pin, NULL) == S_OK) {
        IBaseFilter* peer = PeerFilter(pin);
        if (peer) {
            connected = true;
            peer->Release();
        }
        pin->Release();
    }
    pins->Release();
    return connected;
}

bool IsSource(IBaseFilter* filter)
{
    IFileSourceFilter* source = NULL;
    filter->QueryInterface(IID_IFileSourceFilter, reinterpret_cast<void**>(&source));
    if (!source)
        return false;
    source->Release();
    return true;
}

// The graph's source filter (with a reference), or NULL.
IBaseFilter* FindSource(IGraphBuilder* graph)
{
    IEnumFilters* filters = NULL;
    if (FAILED(graph->EnumFilters(&filters)) || !filters)
        return NULL;
    IBaseFilter* source = NULL;
    IBaseFilter* filter = NULL;
    while (!source && filters->Next(1, &filter, NULL) == S_OK) {
        if (IsSource(filter))
            source = filter;
        else
            filter->Release();
    }
    filters->Release();
    return source;
}

// The source and the filters reached from it so far, each with a reference,
// in the order they were reached.
class Walk {
public:
    explicit Walk(IBaseFilter* source) : count_(1), overflow_(false) { found_[0] = source; }
    ~Walk()
    {
        for (int i = 0; i < count_; ++i)
            found_[i]->Release();
    }

    // Follows every output pin of every filter found, nearest the source first.
    void Run()
    {
        for (int i = 0; i < count_ && !overflow_; ++i)
            FollowOutputs(found_[i]);
    }

    bool Overflowed() const { return overflow_; }
    int Reached() const { return count_ - 1; }
    IBaseFilter* ReachedFilter(int index) const { return found_[index + 1]; }

private:
    Walk(const Walk&);
    Walk& operator=(const Walk&);

    void FollowOutputs(IBaseFilter* filter)
    {
        IEnumPins* pins = NULL;
        if (FAILED(filter->EnumPins(&pins)) || !pins)
            return;
        IPin* pin = NULL;
        while (pins->Next(1, &pin, NULL) == S_OK) {
            PIN_DIRECTION direction = PINDIR_INPUT;
            pin->QueryDirection(&direction);
            if (direction == PINDIR_OUTPUT)
                Add(PeerFilter(pin));
            pin->Release();
        }
        pins->Release();
    }

    // Takes over the reference.
    void Add(IBaseFilter* filter)
    {
        if (!filter)
            return;
        for (int i = 0; i < count_; ++i) {
            if (found_[i] == filter) {
                filter->Release();
                return;
            }
        }
        if (count_ == kCapacity) {
            overflow_ = true;
            filter->Release();
            return;
        }
        found_[count_++] = filter;
    }

    static const int kCapacity = kChainCapacity + 1;
    IBaseFilter* found_[kCapacity];
    int count_;
    bool overflow_;
};

void Describe(IBaseFilter* filter, ChainedFilter* link)
{
    link->clsid = GUID_NULL;
    filter->GetClassID(&link->clsid);
    FILTER_INFO info;
    info.achName[0] = L'\0';
    info.pGraph = NULL;
    filter->QueryFilterInfo(&info);
    if (info.pGraph)
        info.pGraph->Release();
    memcpy(link->name, info.achName, sizeof link->name);
    link->name[MAX_FILTER_NAME - 1] = L'\0';
}

}  // namespace

bool ReadFilterChain(IGraphBuilder* graph, FilterChain* chain)
{
    IBaseFilter* source = FindSource(graph);
    if (!source)
        return false;
    Walk walk(source);
    walk.Run();
    if (walk.Overflowed())
        return false;
    chain->count = walk.Reached();
    for (int i = 0; i < chain->count; ++i)
        Describe(walk.ReachedFilter(i), &chain->filters[i]);
    return true;
}

bool SameFilterChain(const FilterChain& a, const FilterChain& b)
{
    if (a.count != b.count)
        return false;
    for (int i = 0; i < a.count; ++i) {
        if (!IsEqualCLSID(a.filters[i].clsid, b.filters[i].clsid))
            return false;
    }
    return true;
}

bool OfferFilterChain(IGraphBuilder* graph, const FilterChain& chain, IBaseFilter* added[])
{
    for (int i = 0; i < chain.count; ++i) {
        added[i] = NULL;
        CoCreateInstance(chain.filters[i].clsid, NULL, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                         reinterpret_cast<void**>(&added[i]));
        if (!added[i] || FAILED(graph->AddFilter(added[i], chain.filters[i].name))) {
            WithdrawUnconnected(graph, added, i + 1);
            return false;
        }
    }
    return true;
}

int WithdrawUnconnected(IGraphBuilder* graph, IBaseFilter* added[], int count)
{
    int removed = 0;
    for (int i = 0; i < count; ++i) {
        if (!added[i])
            continue;
        if (!IsConnected(added[i])) {
            graph->RemoveFilter(added[i]);
            ++removed;
        }
        added[i]->Release();
        added[i] = NULL;
    }
    return removed;
}
