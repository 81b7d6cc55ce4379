// The control in its container: the client site (which also names the
// hosting page), verbs, extent, advise sinks, miscellaneous status and
// in-place activation: windowless where the site can host it so, else in a
// child window of the site's own.

#include "com/control_window.h"
#include "com/kestrova_object.h"
#include "com/module.h"
#include "com/module_guids.h"
#include "com/verb_list.h"
#include "resources/kestrova_resource_ids.h"

namespace kestrova::com {

HRESULT KestrovaObject::SetClientSite(IOleClientSite* site) {
    if (site != nullptr) {
        site->AddRef();
    }
    if (site_ != nullptr) {
        site_->Release();
    }
    site_ = site;
    page_.SetSite(site_);
    control_.SetClientSite(site_ != nullptr ? &page_ : nullptr, nullptr);
    return S_OK;
}

HRESULT KestrovaObject::GetClientSite(IOleClientSite** site) {
    if (site == nullptr) {
        return E_POINTER;
    }
    *site = site_;
    if (site_ != nullptr) {
        site_->AddRef();
    }
    return S_OK;
}

HRESULT KestrovaObject::Close(DWORD) {
    InPlaceDeactivate();
    if (adviseHolder_ != nullptr) {
        adviseHolder_->SendOnClose();
    }
    return S_OK;
}

HRESULT KestrovaObject::GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) {
    if (moniker == nullptr) {
        return E_POINTER;
    }
    *moniker = nullptr;
    return site_ != nullptr ? site_->GetMoniker(assign, which, moniker) : E_UNEXPECTED;
}

HRESULT KestrovaObject::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                               LPCRECT position) {
    if (site != nullptr && site_ == nullptr) {
        SetClientSite(site);
    }
    switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE:
            return ActivateInPlace(parent, position);
        case OLEIVERB_HIDE:
            return InPlaceDeactivate();
        case OLEIVERB_PROPERTIES: {
            IUnknown* self = static_cast<IDispatch*>(this);
            CLSID page = CLSID_KestrovaPropPage;
            const std::wstring caption = LoadModuleString(IDS_KESTROVA);
            return OleCreatePropertyFrame(parent, 0, 0, caption.c_str(), 1, &self, 1, &page,
                                          LOCALE_USER_DEFAULT, 0, nullptr);
        }
        default:
            return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
    }
}

HRESULT KestrovaObject::ActivateInPlace(HWND parent, LPCRECT position) {
    if (inPlaceSite_ != nullptr) {
        return S_OK;
    }
    if (site_ == nullptr || FAILED(site_->QueryInterface(
                                IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlaceSite_)))) {
        return E_UNEXPECTED;
    }
    if (inPlaceSite_->CanInPlaceActivate() != S_OK) {
        inPlaceSite_->Release();
        inPlaceSite_ = nullptr;
        return E_FAIL;
    }
    if (position != nullptr) {
        position_ = *position;
    }
    IOleInPlaceSiteWindowless* windowless = nullptr;
    bool withoutWindow = false;
    if (SUCCEEDED(inPlaceSite_->QueryInterface(IID_IOleInPlaceSiteWindowless,
                                               reinterpret_cast<void**>(&windowless)))) {
        withoutWindow = windowless->CanWindowlessActivate() == S_OK;
        if (withoutWindow) {
            windowless->OnInPlaceActivateEx(nullptr, ACTIVATE_WINDOWLESS);
        } else {
            windowless->OnInPlaceActivate();
        }
        windowless->Release();
    } else {
        inPlaceSite_->OnInPlaceActivate();
    }
    if (withoutWindow) {
        // The site paints the control from its view: ask it to now.
        if (parent != nullptr && position != nullptr) {
            InvalidateRect(parent, position, FALSE);
        }
        return S_OK;
    }
    HWND siteWindow = nullptr;
    if (FAILED(inPlaceSite_->GetWindow(&siteWindow)) || siteWindow == nullptr) {
        siteWindow = parent;
    }
    window_ = CreateControlWindow(
        siteWindow, position_, [](void*, HDC dc, const RECT& area) { PaintControlArea(dc, area); },
        nullptr);
    if (window_ == nullptr) {
        InPlaceDeactivate();
        return E_FAIL;
    }
    return S_OK;
}

HRESULT KestrovaObject::EnumVerbs(IEnumOLEVERB** verbs) {
    return EnumerateVerbs(verbs);
}

HRESULT KestrovaObject::GetUserClassID(CLSID* clsid) {
    return GetClassID(clsid);
}

HRESULT KestrovaObject::GetUserType(DWORD, LPOLESTR* name) {
    if (name == nullptr) {
        return E_POINTER;
    }
    *name = TaskMemoryCopy(LoadModuleString(IDS_KESTROVA));
    return *name != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT KestrovaObject::SetExtent(DWORD aspect, SIZEL* size) {
    if (size == nullptr) {
        return E_POINTER;
    }
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    extent_ = *size;
    return S_OK;
}

HRESULT KestrovaObject::GetExtent(DWORD aspect, SIZEL* size) {
    if (size == nullptr) {
        return E_POINTER;
    }
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    *size = extent_;
    return S_OK;
}

HRESULT KestrovaObject::Advise(IAdviseSink* sink, DWORD* cookie) {
    if (adviseHolder_ == nullptr && FAILED(CreateOleAdviseHolder(&adviseHolder_))) {
        return E_OUTOFMEMORY;
    }
    return adviseHolder_->Advise(sink, cookie);
}

HRESULT KestrovaObject::Unadvise(DWORD cookie) {
    return adviseHolder_ != nullptr ? adviseHolder_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

HRESULT KestrovaObject::EnumAdvise(IEnumSTATDATA** advises) {
    if (advises == nullptr) {
        return E_POINTER;
    }
    *advises = nullptr;
    return adviseHolder_ != nullptr ? adviseHolder_->EnumAdvise(advises) : E_FAIL;
}

HRESULT KestrovaObject::GetMiscStatus(DWORD aspect, DWORD* status) {
    if (status == nullptr) {
        return E_POINTER;
    }
    *status = aspect == DVASPECT_CONTENT ? kMiscStatus : 0;
    return S_OK;
}

HRESULT KestrovaObject::GetControlInfo(CONTROLINFO* info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    info->cb = sizeof(CONTROLINFO);
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT KestrovaObject::GetWindow(HWND* window) {
    if (window == nullptr) {
        return E_POINTER;
    }
    *window = window_;
    return window_ != nullptr ? S_OK : E_FAIL;
}

HRESULT KestrovaObject::InPlaceDeactivate() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
        window_ = nullptr;
    }
    if (inPlaceSite_ != nullptr) {
        inPlaceSite_->OnInPlaceDeactivate();
        inPlaceSite_->Release();
        inPlaceSite_ = nullptr;
    }
    return S_OK;
}

HRESULT KestrovaObject::SetObjectRects(LPCRECT position, LPCRECT) {
    if (position == nullptr) {
        return E_POINTER;
    }
    position_ = *position;
    if (window_ != nullptr) {
        MoveWindow(window_, position_.left, position_.top, position_.right - position_.left,
                   position_.bottom - position_.top, TRUE);
    }
    return S_OK;
}

}  // namespace kestrova::com
