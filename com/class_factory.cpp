#include "com/class_factory.h"

#include "com/kestrova_object.h"
#include "com/kestrova_prop_page.h"
#include "com/module.h"
#include "com/module_guids.h"

namespace kestrova::com {

HRESULT ClassFactory::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    return create_(iid, object);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
    if (lock) {
        AddModuleReference();
    } else {
        ReleaseModuleReference();
    }
    return S_OK;
}

ClassFactory* FactoryFor(REFCLSID clsid) {
    static ClassFactory controlFactory(&KestrovaObject::Create);
    static ClassFactory pageFactory(&KestrovaPropPage::Create);
    if (IsEqualCLSID(clsid, CLSID_Kestrova)) {
        return &controlFactory;
    }
    if (IsEqualCLSID(clsid, CLSID_KestrovaPropPage)) {
        return &pageFactory;
    }
    return nullptr;
}

}  // namespace kestrova::com

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    kestrova::com::ClassFactory* factory = kestrova::com::FactoryFor(clsid);
    if (factory == nullptr) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return factory->QueryInterface(iid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return kestrova::com::ModuleInUse() ? S_FALSE : S_OK;
}
