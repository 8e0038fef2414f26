#include "fakes/fake_reference_clock.h"

#include "fakes/fake_class_factory.h"
#include "playback/output_latency.h"

namespace {

const LONGLONG kUnitsPerMs = 10000;
LONGLONG nowMs = 0;
LONGLONG latencyMs = 0;

class FakeReferenceClock final : public IReferenceClock {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IReferenceClock)
            return E_NOINTERFACE;
        *object = static_cast<IReferenceClock*>(this);
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

    STDMETHODIMP GetTime(REFERENCE_TIME* time) override
    {
        *time = nowMs * kUnitsPerMs;
        return S_OK;
    }
    STDMETHODIMP AdviseTime(REFERENCE_TIME, REFERENCE_TIME, HEVENT, DWORD_PTR*) override { return E_NOTIMPL; }
    STDMETHODIMP AdvisePeriodic(REFERENCE_TIME, REFERENCE_TIME, HSEMAPHORE, DWORD_PTR*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD_PTR) override { return E_NOTIMPL; }

private:
    ULONG references_ = 1;
};

class FakeClockFactory : public FakeClassFactory {
protected:
    HRESULT Make(IUnknown** made) override
    {
        *made = new FakeReferenceClock();
        return S_OK;
    }
};

FakeClockFactory factory;

}  // namespace

void InstallFakeReferenceClock()
{
    factory.Register(CLSID_SystemClock);
}

void SetFakeClockMs(LONGLONG ms)
{
    nowMs = ms;
}

LONGLONG FakeClockMs()
{
    return nowMs;
}

void SetFakeOutputLatencyMs(LONGLONG ms)
{
    latencyMs = ms;
}

REFERENCE_TIME OutputLatency()
{
    return latencyMs * kUnitsPerMs;
}
