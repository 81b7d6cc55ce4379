#include "control/hosting_page_guard.h"

namespace kestrova {

bool RefuseUnlessHostingPageAllowed(const platform::HostingPageSource* page,
                                    platform::UserInterface& userInterface,
                                    AllowedHostPair& allowedHosts, RefusalNotice notice) {
    if (CheckHostingPage(page, allowedHosts) == kHostingPageAllowed) {
        return false;
    }
    if (notice == RefusalNotice::WarningBox) {
        userInterface.ShowMessageBox(kIllegalAccessText, kWarningCaption,
                                     platform::MessageBoxIcon::Warning);
    }
    return true;
}

}  // namespace kestrova
