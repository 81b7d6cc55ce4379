#include "control/kestrova_ctrl.h"
#include "crypto/des_mac_operations.h"

namespace kestrova {

std::int32_t CKestrovaCtrl::DES(std::int32_t Opflag, std::int32_t KeyLen, const char* KeyVal,
                                const char* inData) {
    return DesOperation(Opflag, KeyLen, KeyVal, inData, RespData);
}

std::int32_t CKestrovaCtrl::MAC(std::int32_t KeyLen, const char* KeyVal, const char* ICV,
                                std::int32_t inLen, const char* inData) {
    return MacOperation(KeyLen, KeyVal, ICV, inLen, inData, RespData);
}

}  // namespace kestrova
