#include "fakes/fake_filters.h"

#include "fakes/fake_class_factory.h"

// {5C4E2B10-0000-4F00-9A00-000000000001} and on: classes of no real filter.
const CLSID CLSID_FakeSource = {0x5c4e2b10, 0, 0x4f00, {0x9a, 0, 0, 0, 0, 0, 0, 1}};
const CLSID CLSID_FakeParser = {0x5c4e2b10, 0, 0x4f00, {0x9a, 0, 0, 0, 0, 0, 0, 2}};
const CLSID CLSID_FakeDecoder = {0x5c4e2b10, 0, 0x4f00, {0x9a, 0, 0, 0, 0, 0, 0, 3}};
const CLSID CLSID_FakeRenderer = {0x5c4e2b10, 0, 0x4f00, {0x9a, 0, 0, 0, 0, 0, 0, 4}};

namespace {

int live = 0;
CLSID refused = GUID_NULL;

class FakeFilterFactory : public FakeClassFactory {
public:
    explicit FakeFilterFactory(const CLSID& clsid) : clsid_(clsid) {}

protected:
    HRESULT Make(IUnknown** made) override
    {
        if (clsid_ == refused)
            return REGDB_E_CLASSNOTREG;
        *made = static_cast<IBaseFilter*>(new FakeFilter(clsid_));
        return S_OK;
    }

private:
    CLSID clsid_;
};

FakeFilterFactory parsers(CLSID_FakeParser);
FakeFilterFactory decoders(CLSID_FakeDecoder);
FakeFilterFactory renderers(CLSID_FakeRenderer);

// Enumerates a snapshot, holding a reference to each item.
template <class Enumerator, class Item, class Source>
class SnapshotEnumerator final : public Enumerator {
public:
    SnapshotEnumerator(REFIID iid, const std::vector<Source*>& items) : iid_(iid)
    {
        for (Source* item : items) {
            item->AddRef();
            items_.push_back(item);
        }
    }
    ~SnapshotEnumerator()
    {
        for (Source* item : items_)
            item->Release();
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        *object = nullptr;
        if (iid != IID_IUnknown && iid != iid_)
            return E_NOINTERFACE;
        *object = static_cast<Enumerator*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    STDMETHODIMP Next(ULONG count, Item** out, ULONG* fetched) override
    {
        ULONG given = 0;
        for (; given < count && next_ < items_.size(); ++given, ++next_) {
            out[given] = items_[next_];
            out[given]->AddRef();
        }
        if (fetched)
            *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override
    {
        next_ += count;
        return next_ <= items_.size() ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override
    {
        next_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Enumerator**) override { return E_NOTIMPL; }

private:
    IID iid_;
    std::vector<Source*> items_;
    size_t next_ = 0;
    ULONG references_ = 1;
};

}  // namespace

FakePin::FakePin(FakeFilter* owner, PIN_DIRECTION direction) : owner_(owner), direction_(direction) {}

STDMETHODIMP FakePin::QueryInterface(REFIID iid, void** object)
{
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IPin)
        return E_NOINTERFACE;
    *object = static_cast<IPin*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) FakePin::AddRef()
{
    return owner_->AddRef();
}

STDMETHODIMP_(ULONG) FakePin::Release()
{
    return owner_->Release();
}

STDMETHODIMP FakePin::ConnectedTo(IPin** pin)
{
    *pin = peer;
    if (!peer)
        return VFW_E_NOT_CONNECTED;
    peer->AddRef();
    return S_OK;
}

STDMETHODIMP FakePin::QueryPinInfo(PIN_INFO* info)
{
    info->pFilter = owner_;
    owner_->AddRef();
    info->dir = direction_;
    info->achName[0] = L'\0';
    return S_OK;
}

STDMETHODIMP FakePin::QueryDirection(PIN_DIRECTION* direction)
{
    *direction = direction_;
    return S_OK;
}

// Nothing below is used by the agent.
STDMETHODIMP FakePin::Connect(IPin*, const AM_MEDIA_TYPE*) { return E_NOTIMPL; }
STDMETHODIMP FakePin::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) { return E_NOTIMPL; }
STDMETHODIMP FakePin::Disconnect() { return E_NOTIMPL; }
STDMETHODIMP FakePin::ConnectionMediaType(AM_MEDIA_TYPE*) { return E_NOTIMPL; }
STDMETHODIMP FakePin::QueryId(LPWSTR*) { return E_NOTIMPL; }
STDMETHODIMP FakePin::QueryAccept(const AM_MEDIA_TYPE*) { return E_NOTIMPL; }
STDMETHODIMP FakePin::EnumMediaTypes(IEnumMediaTypes**) { return E_NOTIMPL; }
STDMETHODIMP FakePin::QueryInternalConnections(IPin**, ULONG*) { return E_NOTIMPL; }
STDMETHODIMP FakePin::EndOfStream() { return E_NOTIMPL; }
STDMETHODIMP FakePin::BeginFlush() { return E_NOTIMPL; }
STDMETHODIMP FakePin::EndFlush() { return E_NOTIMPL; }
STDMETHODIMP FakePin::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) { return E_NOTIMPL; }

FakeFilter::FakeFilter(const CLSID& clsid)
    : clsid(clsid), input(this, PINDIR_INPUT), output(this, PINDIR_OUTPUT)
{
    ++live;
}

FakeFilter::~FakeFilter()
{
    --live;
}

bool FakeFilter::HasInput() const
{
    return clsid != CLSID_FakeSource;
}

bool FakeFilter::HasOutput() const
{
    return clsid != CLSID_FakeRenderer;
}

bool FakeFilter::Connected() const
{
    return input.peer || output.peer;
}

void FakeFilter::ConnectTo(FakeFilter* next)
{
    output.peer = &next->input;
    next->input.peer = &output;
}

void FakeFilter::DisconnectAll()
{
    for (FakePin* pin : {&input, &output}) {
        if (pin->peer)
            pin->peer->peer = nullptr;
        pin->peer = nullptr;
    }
}

STDMETHODIMP FakeFilter::QueryInterface(REFIID iid, void** object)
{
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IPersist || iid == IID_IMediaFilter || iid == IID_IBaseFilter)
        *object = static_cast<IBaseFilter*>(this);
    else if (iid == IID_IFileSourceFilter && clsid == CLSID_FakeSource)
        *object = static_cast<IFileSourceFilter*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) FakeFilter::AddRef()
{
    return ++references_;
}

STDMETHODIMP_(ULONG) FakeFilter::Release()
{
    ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

STDMETHODIMP FakeFilter::GetClassID(CLSID* out)
{
    *out = clsid;
    return S_OK;
}

STDMETHODIMP FakeFilter::EnumPins(IEnumPins** pins)
{
    std::vector<IPin*> present;
    if (HasInput())
        present.push_back(&input);
    if (HasOutput())
        present.push_back(&output);
    *pins = new SnapshotEnumerator<IEnumPins, IPin, IPin>(IID_IEnumPins, present);
    return S_OK;
}

STDMETHODIMP FakeFilter::QueryFilterInfo(FILTER_INFO* info)
{
    lstrcpynW(info->achName, name.c_str(), MAX_FILTER_NAME);
    info->pGraph = nullptr;
    return S_OK;
}

STDMETHODIMP FakeFilter::JoinFilterGraph(IFilterGraph*, LPCWSTR joinedName)
{
    name = joinedName ? joinedName : L"";
    return S_OK;
}

STDMETHODIMP FakeFilter::Load(LPCOLESTR, const AM_MEDIA_TYPE*) { return S_OK; }

// Nothing below is used by the agent.
STDMETHODIMP FakeFilter::Stop() { return E_NOTIMPL; }
STDMETHODIMP FakeFilter::Pause() { return E_NOTIMPL; }
STDMETHODIMP FakeFilter::Run(REFERENCE_TIME) { return E_NOTIMPL; }
STDMETHODIMP FakeFilter::GetState(DWORD, FILTER_STATE*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilter::SetSyncSource(IReferenceClock*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilter::GetSyncSource(IReferenceClock**) { return E_NOTIMPL; }
STDMETHODIMP FakeFilter::FindPin(LPCWSTR, IPin**) { return E_NOTIMPL; }
STDMETHODIMP FakeFilter::QueryVendorInfo(LPWSTR*) { return E_NOTIMPL; }
STDMETHODIMP FakeFilter::GetCurFile(LPOLESTR*, AM_MEDIA_TYPE*) { return E_NOTIMPL; }

void InstallFakeFilters()
{
    parsers.Register(CLSID_FakeParser);
    decoders.Register(CLSID_FakeDecoder);
    renderers.Register(CLSID_FakeRenderer);
}

void RefuseFakeFilter(const CLSID& clsid)
{
    refused = clsid;
}

int LiveFakeFilters()
{
    return live;
}

IEnumFilters* NewFilterEnumerator(const std::vector<FakeFilter*>& filters)
{
    return new SnapshotEnumerator<IEnumFilters, IBaseFilter, FakeFilter>(IID_IEnumFilters, filters);
}
