#include <array>

#include "card/hex.h"
#include "crypto/cbc_mac.h"
#include "crypto/des_mac_operations.h"
#include "crypto/operation_text.h"
#include "platform/secure_wipe.h"

namespace kestrova {

namespace {

constexpr std::int32_t kMaxMacData = 2048;

bool IsSupportedDataLength(std::int32_t inLen) {
    return inLen >= 8 && inLen <= kMaxMacData && inLen % 8 == 0;
}

}  // namespace

std::int32_t MacOperation(std::int32_t keyLen, const char* keyVal, const char* icv,
                          std::int32_t inLen, const char* inData, std::string& outText) {
    using namespace operation_text;
    if (!IsSupportedKeyLength(keyLen)) {
        return kNumberOutOfRange;
    }
    if (keyVal == nullptr || icv == nullptr || inData == nullptr) {
        return kTextAbsent;
    }
    if (!HalfLengthIs(keyVal, keyLen) || !LengthIs(icv, 16)) {
        return kTextLengthWrong;
    }
    if (!IsSupportedDataLength(inLen)) {
        return kNumberOutOfRange;
    }
    if (!HalfLengthIs(inData, inLen)) {
        return kTextLengthWrong;
    }

    std::array<std::uint8_t, 24> key{};
    // Only the first inLen bytes are decoded and read, so the rest need not be
    // cleared.
    std::array<std::uint8_t, kMaxMacData> data;  // NOLINT(cppcoreguidelines-pro-type-member-init)
    std::array<std::uint8_t, 8> initialValue{};
    std::array<std::uint8_t, 8> mac{};
    std::int32_t status = -1;
    if (HexDecode(2 * keyLen, keyVal, key.data()) == 0 &&
        HexDecode(2 * inLen, inData, data.data()) == 0 &&
        HexDecode(16, icv, initialValue.data()) == 0 &&
        CbcMac(key.data(), inLen, data.data(), KeyTypeOf(keyLen), initialValue.data(),
               mac.data()) == 0) {
        AssignBlockText(mac.data(), outText);
        status = 0;
    }
    platform::WipeBytes(key.data(), key.size());
    return status;
}

}  // namespace kestrova
