#include "control/hosting_page_guard.h"

#include "control/kestrova_ctrl.h"

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

// A refused page keeps nothing a card said, even one an allowed page of the
// same control had read, and no slot it could use.
bool CKestrovaCtrl::RefusesHostingPage(RefusalNotice notice) {
    if (!RefuseUnlessHostingPageAllowed(hostingPage_, MessageBoxes(), AllowedHosts, notice)) {
        return false;
    }
    ResetResults();
    CurrentSlot = 0;
    TransactionIssuer.clear();
    TransactionRemark.clear();
    TransactionAccount.clear();
    return true;
}

}  // namespace kestrova
