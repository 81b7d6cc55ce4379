#include "container_site.h"

#include <urlmon.h>

namespace kestrova::container {

HRESULT ClientSite::QueryInterface(REFIID iid, void** object) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
        *object = static_cast<IOleClientSite*>(this);
        AddRef();
        return S_OK;
    }
    if (window_ != nullptr &&
        (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))) {
        *object = static_cast<IOleInPlaceSite*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG ClientSite::Release() {
    const ULONG left = --references_;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT ClientSite::GetMoniker(DWORD, DWORD which, IMoniker** moniker) {
    *moniker = nullptr;
    if (url_.empty() || which != OLEWHICHMK_CONTAINER) {
        return E_FAIL;
    }
    return CreateURLMonikerEx(nullptr, url_.c_str(), moniker, URL_MK_UNIFORM);
}

HRESULT ClientSite::GetContainer(IOleContainer** container) {
    *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT PropertyBag::QueryInterface(REFIID iid, void** object) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag)) {
        *object = static_cast<IPropertyBag*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT PropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
    const auto found = written.find(name);
    if (found == written.end()) {
        return E_INVALIDARG;
    }
    VariantClear(value);
    V_VT(value) = VT_I4;
    V_I4(value) = found->second;
    return S_OK;
}

HRESULT PropertyBag::Write(LPCOLESTR name, VARIANT* value) {
    VARIANT number;
    VariantInit(&number);
    if (FAILED(VariantChangeType(&number, value, 0, VT_I4))) {
        return E_INVALIDARG;
    }
    written[name] = V_I4(&number);
    return S_OK;
}

}  // namespace kestrova::container
