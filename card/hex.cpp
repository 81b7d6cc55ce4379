#include "card/hex.h"

#include <array>

namespace kestrova {

namespace {

constexpr std::uint8_t kRefused = 0xFF;

// Every character's digit value, or kRefused.
constexpr std::array<std::uint8_t, 256> MakeDigitValues() {
    std::array<std::uint8_t, 256> values{};
    values.fill(kRefused);
    for (unsigned i = 0; i < 10; ++i) {
        values['0' + i] = static_cast<std::uint8_t>(i);
    }
    for (unsigned i = 0; i < 26; ++i) {
        values['A' + i] = static_cast<std::uint8_t>(10 + i);
        values['a' + i] = static_cast<std::uint8_t>(10 + i);
    }
    return values;
}

constexpr std::array<std::uint8_t, 256> kDigitValues = MakeDigitValues();

// The two uppercase digits of every byte value.
constexpr std::array<std::array<char, 2>, 256> MakeDigitPairs() {
    constexpr char kUpperDigits[] = "0123456789ABCDEF";
    std::array<std::array<char, 2>, 256> pairs{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        pairs[byte] = {kUpperDigits[byte >> 4], kUpperDigits[byte & 0x0FU]};
    }
    return pairs;
}

constexpr std::array<std::array<char, 2>, 256> kDigitPairs = MakeDigitPairs();

std::uint8_t DigitValue(char character) {
    return kDigitValues[static_cast<unsigned char>(character)];
}

}  // namespace

std::int32_t HexEncode(std::int32_t byteCount, const std::uint8_t* bytes, char* text) {
    if (byteCount <= 0) {
        return 0;
    }
    if (bytes == nullptr || text == nullptr) {
        return -1;
    }
    for (std::int32_t i = 0; i < byteCount; ++i) {
        const std::array<char, 2>& pair = kDigitPairs[bytes[i]];
        *text++ = pair[0];
        *text++ = pair[1];
    }
    return 0;
}

std::int32_t HexDigitValue(char character, std::uint8_t* value) {
    if (value == nullptr) {
        return 1;
    }
    const std::uint8_t digit = DigitValue(character);
    if (digit == kRefused) {
        return 1;
    }
    *value = digit;
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
        const std::uint8_t high = DigitValue(*next++);
        if (high == kRefused) {
            return -1;
        }
        const std::uint8_t low = DigitValue(*next++);
        if (low == kRefused) {
            return -1;
        }
        // Letters beyond F keep their low four bits in either nibble.
        bytes[i] = static_cast<std::uint8_t>((high << 4) | (low & 0x0F));
    }
    if (charCount % 2 != 0) {
        const std::uint8_t last = DigitValue(text[charCount - 1]);
        if (last == kRefused) {
            return -1;
        }
        // The old high nibble drops into the low one: a block pre-filled with
        // FF (as for a PIN) therefore ends in an F pad.
        bytes[pairCount] = static_cast<std::uint8_t>((last << 4) | (bytes[pairCount] >> 4));
    }
    return 0;
}

}  // namespace kestrova
