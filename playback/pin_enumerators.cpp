#include "playback/pin_enumerators.h"

#include <new>

#include "playback/media_types.h"

namespace {

// How an enumerator keeps, hands out and drops one item of each kind.
const IID& IidOf(IEnumPins*)
{
    return IID_IEnumPins;
}
const IID& IidOf(IEnumMediaTypes*)
{
    return IID_IEnumMediaTypes;
}
HRESULT Keep(IPin* const& source, IPin** kept)
{
    source->AddRef();
    *kept = source;
    return S_OK;
}
HRESULT Keep(const AM_MEDIA_TYPE& source, AM_MEDIA_TYPE* kept)
{
    return CopyMediaTypeInto(source, kept);
}
HRESULT HandOut(IPin* kept, IPin** out)
{
    return Keep(kept, out);
}
HRESULT HandOut(const AM_MEDIA_TYPE& kept, AM_MEDIA_TYPE** out)
{
    *out = NewMediaTypeCopy(kept);
    return *out ? S_OK : E_OUTOFMEMORY;
}
void Drop(IPin* kept)
{
    kept->Release();
}
void Drop(AM_MEDIA_TYPE& kept)
{
    ClearMediaType(&kept);
}

// IEnumPins and IEnumMediaTypes have the same four methods over different
// items: one class for both.
template <class Interface, class Item, class Out>
class Enumerator final : public Interface {
public:
    static const int kCapacity = 4;

    // A new enumerator (one reference), or NULL.
    static Enumerator* Make(const Item* items, int count, int position)
    {
        if (count > kCapacity)
            return NULL;
        Enumerator* made = new (std::nothrow) Enumerator();
        if (!made)
            return NULL;
        for (int i = 0; i < count; ++i) {
            if (FAILED(Keep(items[i], &made->items_[i]))) {
                made->Release();
                return NULL;
            }
            made->count_ = i + 1;
        }
        made->position_ = position;
        return made;
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IidOf(static_cast<Interface*>(NULL)))) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = NULL;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&references_); }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return left;
    }

    STDMETHODIMP Next(ULONG wanted, Out* out, ULONG* fetched) override
    {
        if (!out || (wanted > 1 && !fetched))
            return E_POINTER;
        ULONG given = 0;
        while (given < wanted && position_ < count_) {
            if (FAILED(HandOut(items_[position_], &out[given])))
                break;
            ++given;
            ++position_;
        }
        if (fetched)
            *fetched = given;
        return given == wanted ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override
    {
        if (count > static_cast<ULONG>(count_ - position_)) {
            position_ = count_;
            return S_FALSE;
        }
        position_ += static_cast<int>(count);
        return S_OK;
    }
    STDMETHODIMP Reset() override
    {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Interface** clone) override
    {
        if (!clone)
            return E_POINTER;
        *clone = Make(items_, count_, position_);
        return *clone ? S_OK : E_OUTOFMEMORY;
    }

private:
    Enumerator() : references_(1), count_(0), position_(0) {}
    ~Enumerator()
    {
        for (int i = 0; i < count_; ++i)
            Drop(items_[i]);
    }

    volatile LONG references_;
    Item items_[kCapacity];
    int count_;
    int position_;
};

template <class Interface, class Item, class Out>
HRESULT NewEnumerator(const Item* items, int count, Interface** enumerator)
{
    if (!enumerator)
        return E_POINTER;
    *enumerator = Enumerator<Interface, Item, Out>::Make(items, count, 0);
    return *enumerator ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

HRESULT NewPinEnumerator(IPin* const* pins, int count, IEnumPins** enumerator)
{
    return NewEnumerator<IEnumPins, IPin*, IPin*>(pins, count, enumerator);
}

HRESULT NewMediaTypeEnumerator(const AM_MEDIA_TYPE* types, int count,
                               IEnumMediaTypes** enumerator)
{
    return NewEnumerator<IEnumMediaTypes, AM_MEDIA_TYPE, AM_MEDIA_TYPE*>(types, count, enumerator);
}
