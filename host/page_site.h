#pragma once

// The page a host says its control serves, which may change between calls
// (`--page-url`, then `:page`).

#include <optional>
#include <string>

#include "control/kestrova_ctrl.h"
#include "platform/hosting_page.h"
#include "platform/user_interface.h"

namespace kestrova::host {

class PageSite {
  public:
    // Starts not sited. The control and the user interface (null: the
    // console) outlive this object.
    PageSite(CKestrovaCtrl& control, platform::UserInterface* userInterface);
    PageSite(const PageSite&) = delete;
    PageSite& operator=(const PageSite&) = delete;

    // Sites the control on the page at this UTF-8 address, or leaves it not
    // sited when there is none. False, changing nothing, for an address that
    // is not UTF-8.
    bool Serve(const std::optional<std::string>& url);

  private:
    CKestrovaCtrl& control_;
    platform::UserInterface* userInterface_;
    std::optional<platform::StatedHostingPage> page_;
};

}  // namespace kestrova::host
