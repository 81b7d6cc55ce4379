#include "com/client_site_page.h"

namespace kestrova::com {

std::optional<std::u16string> ClientSitePage::PageDisplayName() const {
    if (site_ == nullptr) {
        return std::nullopt;
    }
    IMoniker* moniker = nullptr;
    if (FAILED(site_->GetMoniker(OLEGETMONIKER_TEMPFORUSER, OLEWHICHMK_CONTAINER, &moniker)) ||
        moniker == nullptr) {
        return std::nullopt;
    }
    std::optional<std::u16string> name;
    LPOLESTR displayName = nullptr;
    IBindCtx* bindContext = nullptr;
    // A bind context is required by some monikers (URL monikers among them).
    if (SUCCEEDED(CreateBindCtx(0, &bindContext)) &&
        SUCCEEDED(moniker->GetDisplayName(bindContext, nullptr, &displayName)) &&
        displayName != nullptr) {
        name.emplace(reinterpret_cast<const char16_t*>(displayName));
        CoTaskMemFree(displayName);
    }
    if (bindContext != nullptr) {
        bindContext->Release();
    }
    moniker->Release();
    return name;
}

}  // namespace kestrova::com
