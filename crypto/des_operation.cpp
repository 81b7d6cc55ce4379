#include <array>

#include "card/hex.h"
#include "crypto/des_engine.h"
#include "crypto/des_mac_operations.h"
#include "crypto/operation_text.h"
#include "platform/secure_wipe.h"

namespace kestrova {

std::int32_t DesOperation(std::int32_t opflag, std::int32_t keyLen, const char* keyVal,
                          const char* inData, std::string& outText) {
    using namespace operation_text;
    if (opflag != 0 && opflag != 1) {
        return kNumberOutOfRange;
    }
    if (!IsSupportedKeyLength(keyLen)) {
        return kNumberOutOfRange;
    }
    if (keyVal == nullptr || inData == nullptr) {
        return kTextAbsent;
    }
    if (!HalfLengthIs(keyVal, keyLen) || !LengthIs(inData, 16)) {
        return kTextLengthWrong;
    }

    std::array<std::uint8_t, 24> key{};
    std::array<std::uint8_t, 8> block{};
    std::array<std::uint8_t, 8> result{};
    std::int32_t status = -1;
    if (HexDecode(2 * keyLen, keyVal, key.data()) == 0 &&
        HexDecode(16, inData, block.data()) == 0) {
        const std::int32_t keyType = KeyTypeOf(keyLen);
        const std::int32_t engineResult =
            opflag == 0 ? CipherEncrypt(key.data(), 8, block.data(), result.data(), keyType,
                                        kModeEcb, nullptr)
                        : CipherDecrypt(key.data(), 8, result.data(), block.data(), keyType,
                                        kModeEcb, nullptr);
        if (engineResult == 0) {
            AssignBlockText(result.data(), outText);
            status = 0;
        }
    }
    platform::WipeBytes(key.data(), key.size());
    return status;
}

}  // namespace kestrova
