#pragma once

#include <windows.h>
#include <objbase.h>

// A class object that lives as long as the process: the fakes register
// theirs so that the product's own CoCreateInstance calls reach them.
class FakeClassFactory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        IUnknown* made = nullptr;
        HRESULT refused = Make(&made);
        if (FAILED(refused))
            return refused;
        HRESULT result = made->QueryInterface(iid, object);
        made->Release();
        return result;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

    // Needs CoInitialize first.
    void Register(const CLSID& clsid)
    {
        DWORD cookie = 0;
        CoRegisterClassObject(clsid, this, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    }

protected:
    // A new object holding one reference, or the failure to report.
    virtual HRESULT Make(IUnknown** made) = 0;
};
