#pragma once

// The hosting page as the container names it: the display name of the
// container document's moniker, asked of the client site on every call.

#include <ole2.h>
#include <windows.h>

#include "platform/hosting_page.h"

namespace kestrova::com {

class ClientSitePage final : public platform::HostingPageSource {
  public:
    // The object owns the site's reference; null: not sited.
    void SetSite(IOleClientSite* site) { site_ = site; }

    std::optional<std::u16string> PageDisplayName() const override;

  private:
    IOleClientSite* site_ = nullptr;
};

}  // namespace kestrova::com
