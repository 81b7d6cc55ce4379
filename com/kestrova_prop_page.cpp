#include "com/kestrova_prop_page.h"

#include <new>
#include <string>

#include "com/module.h"
#include "resources/kestrova_resource_ids.h"

namespace kestrova::com {
namespace {

INT_PTR CALLBACK PageDialogProcedure(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The template's size in pixels, from a hidden instance of the page.
SIZE PageSize() {
    SIZE size{};
    HWND probe = CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(IDD_PROPPAGE_KESTROVA),
                                    GetDesktopWindow(), PageDialogProcedure, 0);
    if (probe != nullptr) {
        RECT area{};
        GetWindowRect(probe, &area);
        size = {area.right - area.left, area.bottom - area.top};
        DestroyWindow(probe);
    }
    return size;
}

}  // namespace

KestrovaPropPage::KestrovaPropPage() {
    AddModuleReference();
}

KestrovaPropPage::~KestrovaPropPage() {
    Deactivate();
    SetPageSite(nullptr);
    ReleaseModuleReference();
}

HRESULT KestrovaPropPage::Create(REFIID iid, void** object) {
    auto* created = new (std::nothrow) KestrovaPropPage();
    if (created == nullptr) {
        return E_OUTOFMEMORY;
    }
    const HRESULT result = created->QueryInterface(iid, object);
    created->Release();
    return result;
}

HRESULT KestrovaPropPage::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyPage)) {
        *object = static_cast<IPropertyPage*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG KestrovaPropPage::AddRef() {
    return ++references_;
}

ULONG KestrovaPropPage::Release() {
    const ULONG left = --references_;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT KestrovaPropPage::SetPageSite(IPropertyPageSite* site) {
    if (site != nullptr) {
        site->AddRef();
    }
    if (site_ != nullptr) {
        site_->Release();
    }
    site_ = site;
    return S_OK;
}

HRESULT KestrovaPropPage::Activate(HWND parent, LPCRECT place, BOOL) {
    if (window_ != nullptr) {
        return E_UNEXPECTED;
    }
    window_ = CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(IDD_PROPPAGE_KESTROVA), parent,
                                 PageDialogProcedure, 0);
    if (window_ == nullptr) {
        return E_FAIL;
    }
    return place != nullptr ? Move(place) : S_OK;
}

HRESULT KestrovaPropPage::Deactivate() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
        window_ = nullptr;
    }
    return S_OK;
}

HRESULT KestrovaPropPage::GetPageInfo(PROPPAGEINFO* info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    info->cb = sizeof(PROPPAGEINFO);
    info->pszTitle = TaskMemoryCopy(LoadModuleString(IDS_KESTROVA_PPG_CAPTION));
    info->size = PageSize();
    info->pszDocString = nullptr;
    info->pszHelpFile = nullptr;
    info->dwHelpContext = 0;
    return info->pszTitle != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT KestrovaPropPage::SetObjects(ULONG count, IUnknown** objects) {
    return count > 0 && objects == nullptr ? E_POINTER : S_OK;
}

HRESULT KestrovaPropPage::Show(UINT command) {
    if (window_ == nullptr) {
        return E_UNEXPECTED;
    }
    ShowWindow(window_, static_cast<int>(command));
    return S_OK;
}

HRESULT KestrovaPropPage::Move(LPCRECT place) {
    if (place == nullptr) {
        return E_POINTER;
    }
    if (window_ == nullptr) {
        return E_UNEXPECTED;
    }
    MoveWindow(window_, place->left, place->top, place->right - place->left,
               place->bottom - place->top, TRUE);
    return S_OK;
}

}  // namespace kestrova::com
