#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "card/hex.h"
#include "control/kestrova_ctrl.h"

namespace kestrova {
namespace {

constexpr std::uint8_t kVersionNumbers[] = {1, 0, 0, 1};

}  // namespace

std::string CKestrovaCtrl::ConvertHexToInt(std::int32_t inLength, const char* pInval) const {
    if (pInval == nullptr || inLength <= 0) {
        return {};
    }
    // Decoding stops at the first refused character, and the terminator is
    // refused: a length beyond the text can only give an empty result, so it
    // is refused before a buffer of that size is asked for.
    const std::size_t length = static_cast<std::size_t>(inLength);
    if (length > std::string_view(pInval).size()) {
        return {};
    }
    std::vector<std::uint8_t> bytes((length + 1) / 2, 0);
    if (HexDecode(inLength, pInval, bytes.data()) != 0) {
        return {};
    }
    // An odd last digit only half-fills its byte, which is left out.
    bytes.resize(length / 2);
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (byte == 0) {
            break;
        }
        text.push_back(static_cast<char>(byte));
    }
    return text;
}

std::string CKestrovaCtrl::ConvertIntToHex(std::int32_t inLength, const char* pInval) const {
    if (pInval == nullptr || inLength <= 0) {
        return {};
    }
    // The terminator may be encoded too (a page relying on the trailing "00"),
    // nothing beyond it.
    const std::size_t length = static_cast<std::size_t>(inLength);
    if (length > std::string_view(pInval).size() + 1) {
        return {};
    }
    std::string text(2 * length, '\0');
    HexEncode(inLength, reinterpret_cast<const std::uint8_t*>(pInval), text.data());
    return text;
}

std::string CKestrovaCtrl::GetAPIVersion() const {
    std::string version;
    for (const std::uint8_t number : kVersionNumbers) {
        if (!version.empty()) {
            version.push_back('.');
        }
        version.push_back(static_cast<char>('0' + number));
    }
    return version;
}

}  // namespace kestrova
