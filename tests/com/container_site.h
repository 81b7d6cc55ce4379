#pragma once

// What a browser gives an embedded control: a client site that names the
// page through a URL moniker, and a property bag for the <object>'s params.

#include <ocidl.h>
#include <windows.h>

#include <map>
#include <string>

namespace kestrova::container {

class ClientSite final : public IOleClientSite {
  public:
    // url empty: the site has no moniker to give.
    explicit ClientSite(std::wstring url) : url_(std::move(url)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  private:
    ~ClientSite() = default;
    ULONG references_ = 1;
    std::wstring url_;
};

// Holds what is written to it; reads find only what was written.
class PropertyBag final : public IPropertyBag {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override;
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override;

    std::map<std::wstring, LONG> written;  // VT_I4 values only
};

}  // namespace kestrova::container
