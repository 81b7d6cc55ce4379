#include "card/hex.h"

namespace kestrova {

namespace {

constexpr char kUpperDigits[] = "0123456789ABCDEF";

}  // namespace

std::int32_t HexEncode(std::int32_t byteCount, const std::uint8_t* bytes, char* text) {
    if (byteCount <= 0) {
        return 0;
    }
    if (bytes == nullptr || text == nullptr) {
        return -1;
    }
    for (std::int32_t i = 0; i < byteCount; ++i) {
        *text++ = kUpperDigits[bytes[i] >> 4];
        *text++ = kUpperDigits[bytes[i] & 0x0F];
    }
    return 0;
}

std::int32_t HexDigitValue(char character, std::uint8_t* value) {
    if (value == nullptr) {
        return 1;
    }
    if (character >= '0' && character <= '9') {
        *value = static_cast<std::uint8_t>(character - '0');
    } else if (character >= 'A' && character <= 'Z') {
        *value = static_cast<std::uint8_t>(character - 'A' + 10);
    } else if (character >= 'a' && character <= 'z') {
        *value = static_cast<std::uint8_t>(character - 'a' + 10);
    } else {
        return 1;
    }
    return 0;
}

std::int32_t HexDecode(std::int32_t charCount, const char* text, std::uint8_t* bytes) {
    if (charCount <= 0) {
        return 0;
    }
    if (text == nullptr || bytes == nullptr) {
        return -1;
    }
    // Each character is checked before the next one is read, so a zero
    // terminator inside charCount stops the decoding without reading past it.
    const std::int32_t pairCount = charCount / 2;
    const char* next = text;
    for (std::int32_t i = 0; i < pairCount; ++i) {
        std::uint8_t high = 0;
        std::uint8_t low = 0;
        if (HexDigitValue(*next++, &high) != 0 || HexDigitValue(*next++, &low) != 0) {
            return -1;
        }
        bytes[i] = static_cast<std::uint8_t>((high << 4) | (low & 0x0F));
    }
    if (charCount % 2 != 0) {
        std::uint8_t last = 0;
        if (HexDigitValue(text[charCount - 1], &last) != 0) {
            return -1;
        }
        // The old high nibble drops into the low one: a block pre-filled with
        // FF (as for a PIN) therefore ends in an F pad.
        bytes[pairCount] = static_cast<std::uint8_t>((last << 4) | (bytes[pairCount] >> 4));
    }
    return 0;
}

}  // namespace kestrova
