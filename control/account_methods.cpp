// The account and card-data methods: each reads the card of CurrentSlot
// through one card-layer operation.

#include <algorithm>
#include <cstdint>
#include <string>
#include <type_traits>

#include "card/account_data.h"
#include "card/card_data.h"
#include "control/kestrova_ctrl.h"

namespace kestrova {
namespace {

static_assert(std::is_same_v<AccountList, AccountNumberList>,
              "the control's account lists are what the card layer fills");

// A string method's result: the text on success; on failure empty, with the
// code left in LastError. Success leaves LastError as it was.
std::string TextOrFailure(std::int32_t result, std::string text, std::int32_t& lastError) {
    if (result != 0) {
        lastError = result;
        return {};
    }
    return text;
}

}  // namespace

std::int32_t CKestrovaCtrl::ListEF1001Accounts() {
    return ReadAccountList(CurrentSlot, kEf1001File, EF1001Count, EF1001List);
}

std::int32_t CKestrovaCtrl::ListEF1002Accounts() {
    return ReadAccountList(CurrentSlot, kEf1002File, EF1002Count, EF1002List);
}

std::string CKestrovaCtrl::GetEF1001Account(std::int32_t AccountNo) {
    std::string text;
    const std::int32_t result = ReadAccount(CurrentSlot, kEf1001File, AccountNo, text);
    return TextOrFailure(result, std::move(text), LastError);
}

std::string CKestrovaCtrl::GetEF1002Account(std::int32_t AccountNo) {
    std::string text;
    const std::int32_t result = ReadAccount(CurrentSlot, kEf1002File, AccountNo, text);
    return TextOrFailure(result, std::move(text), LastError);
}

std::string CKestrovaCtrl::ListEF1001AccountString() {
    std::string text;
    const std::int32_t result = ReadAccountString(CurrentSlot, kEf1001File, text);
    return TextOrFailure(result, std::move(text), LastError);
}

std::string CKestrovaCtrl::ListEF1002AccountString() {
    std::string text;
    const std::int32_t result = ReadAccountString(CurrentSlot, kEf1002File, text);
    return TextOrFailure(result, std::move(text), LastError);
}

// The issuer's 8 bytes are text up to the first zero byte.
std::string CKestrovaCtrl::GetIssuerBank() {
    IssuerBankBytes issuer{};
    const std::int32_t result = ReadIssuerBank(CurrentSlot, issuer);
    return TextOrFailure(result,
                         std::string(issuer.begin(), std::find(issuer.begin(), issuer.end(), '\0')),
                         LastError);
}

std::string CKestrovaCtrl::GetICCRemark() {
    std::string text;
    const std::int32_t result = ReadIccRemark(CurrentSlot, text);
    return TextOrFailure(result, std::move(text), LastError);
}

std::string CKestrovaCtrl::ReadCardSN() {
    std::string text;
    const std::int32_t result = ReadCardSerial(CurrentSlot, text);
    return TextOrFailure(result, std::move(text), LastError);
}

}  // namespace kestrova
