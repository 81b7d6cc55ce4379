#pragma once

// One class factory per creatable class, alive from load to unload: the
// factories are static objects whose reference counts do not hold the module.

#include <unknwn.h>
#include <windows.h>

namespace kestrova::com {

// Creates a new object with one reference and asks it for iid; the object
// goes away again when it does not have iid.
using CreateObjectFunction = HRESULT (*)(REFIID iid, void** object);

class ClassFactory final : public IClassFactory {
  public:
    explicit ClassFactory(CreateObjectFunction create) : create_(create) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

  private:
    CreateObjectFunction create_;
};

// The factory of the control or of its property page; null for another class.
ClassFactory* FactoryFor(REFCLSID clsid);

}  // namespace kestrova::com
