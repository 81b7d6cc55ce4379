// The PIN methods: VerifyPIN on the card of CurrentSlot; ChangePIN on the
// card of the named reader, which it connects in a slot of its own.

#include <cstdint>

#include "card/pin_operations.h"
#include "control/kestrova_ctrl.h"

namespace kestrova {

std::int32_t CKestrovaCtrl::VerifyPIN(const char* pReaderName, const char* pReaderSndList,
                                      const char* pPwdStr) {
    return VerifyPin(pReaderName, pReaderSndList, CurrentSlot, pPwdStr);
}

std::int32_t CKestrovaCtrl::ChangePIN(const char* pReaderName, const char* pReaderSndList,
                                      const char* pOldPwdStr, const char* pNewPwdStr,
                                      const char* pCardSerialNo, std::int32_t VerifyValFlag) {
    return ChangePin(pReaderName, pReaderSndList, pOldPwdStr, pNewPwdStr, pCardSerialNo,
                     VerifyValFlag);
}

}  // namespace kestrova
