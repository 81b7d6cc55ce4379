#include "control/kestrova_ctrl.h"

#include "reader/service_context.h"

namespace kestrova {

// A failure to close is of no use to anyone at this point.
CKestrovaCtrl::~CKestrovaCtrl() {
    CloseCardService();
}

void CKestrovaCtrl::SetClientSite(const platform::HostingPageSource* page,
                                  platform::UserInterface* userInterface) {
    hostingPage_ = page;
    userInterface_ = userInterface;
}

void CKestrovaCtrl::ResetResults() {
    EF1002Count = 0;
    EF1001Count = 0;
    LastResultCode = 0;
    LastError = 0;
    RespLength = 0;
    CardStatus.clear();
    RespData.clear();
    RespSNUM.clear();
    RespTAC.clear();
    for (std::string& account : EF1001List) {
        account.clear();
    }
    for (std::string& account : EF1002List) {
        account.clear();
    }
}

}  // namespace kestrova
