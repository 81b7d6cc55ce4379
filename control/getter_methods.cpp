#include <algorithm>

#include "control/kestrova_ctrl.h"

namespace kestrova {
namespace {

constexpr std::int32_t kReaderNameOutOfRange = 0x1101;

// A count of 0 reads as -1, so that a page can tell "none" from a failure
// without a second call.
std::int32_t CountOrNone(std::int32_t count) {
    return count == 0 ? -1 : count;
}

}  // namespace

std::int32_t CKestrovaCtrl::GetReaderNumber() const {
    return CountOrNone(ReaderCount);
}

std::string CKestrovaCtrl::GetReaderName(std::int32_t Offset) {
    const std::int32_t listed =
        std::min(ReaderCount, static_cast<std::int32_t>(ReaderNames.size()));
    if (Offset < 0 || Offset >= listed) {
        LastError = kReaderNameOutOfRange;
        return {};
    }
    const auto& entry = ReaderNames[static_cast<std::size_t>(Offset)];
    return {entry.begin(), std::find(entry.begin(), entry.end(), '\0')};
}

std::string CKestrovaCtrl::GetCardStatus() const {
    return CardStatus;
}

std::int32_t CKestrovaCtrl::GetEF1001TotalAccounts() const {
    return CountOrNone(EF1001Count);
}

std::int32_t CKestrovaCtrl::GetEF1002TotalAccounts() const {
    return CountOrNone(EF1002Count);
}

std::string CKestrovaCtrl::GetRespSNUM() const {
    return RespSNUM;
}

std::string CKestrovaCtrl::GetRespTAC() const {
    return RespTAC;
}

// Part of the interface that pages call, but nothing ever fills them.
std::string CKestrovaCtrl::GetRespDateTime() const {
    return {};
}

std::string CKestrovaCtrl::GetEncryptAcqData() const {
    return {};
}

std::string CKestrovaCtrl::GetSha1AcqData() const {
    return {};
}

std::string CKestrovaCtrl::GetSessionKeyHash() const {
    return {};
}

std::string CKestrovaCtrl::GetRespData() const {
    return RespData;
}

std::int32_t CKestrovaCtrl::GetRespLength() const {
    return RespLength;
}

std::int32_t CKestrovaCtrl::GetLastError() const {
    return LastError;
}

std::string CKestrovaCtrl::GetWinscardProperty(std::int32_t ListNo) const {
    switch (ListNo) {
        case 0:
            return WinscardInfo[0];
        case 1:
            return WinscardInfo[1];
        default:
            return WinscardInfo[2];
    }
}

std::string CKestrovaCtrl::GetTransactionIssuer() const {
    return TransactionIssuer;
}

std::string CKestrovaCtrl::GetTransactionRemark() const {
    return TransactionRemark;
}

std::string CKestrovaCtrl::GetTransactionAccount() const {
    return TransactionAccount;
}

}  // namespace kestrova
