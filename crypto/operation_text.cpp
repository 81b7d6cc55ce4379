#include "crypto/operation_text.h"

#include <cstring>

#include "card/hex.h"

namespace kestrova::operation_text {

bool IsSupportedKeyLength(std::int32_t keyLen) {
    return keyLen == 8 || keyLen == 16 || keyLen == 24;
}

std::int32_t KeyTypeOf(std::int32_t keyLen) {
    return keyLen / 8 - 1;
}

bool HalfLengthIs(const char* text, std::int32_t byteCount) {
    return byteCount >= 0 && std::strlen(text) / 2 == static_cast<std::size_t>(byteCount);
}

bool LengthIs(const char* text, std::size_t characters) {
    return std::strlen(text) == characters;
}

void AssignBlockText(const std::uint8_t block[8], std::string& text) {
    char digits[16];
    HexEncode(8, block, digits);
    text.assign(digits, sizeof digits);
}

}  // namespace kestrova::operation_text
