#include "sim/card/pin_block.h"

#include <cstddef>

#include "sim/card/card_content.h"

namespace kestrova::sim {
namespace {

constexpr std::uint8_t kFillerNibble = 0xF;
constexpr std::size_t kNibbles = 16;

std::uint8_t NibbleAt(const PinBlock& block, std::size_t index) {
    const std::uint8_t byte = block[index / 2];
    return static_cast<std::uint8_t>(index % 2 == 0 ? byte >> 4 : byte & 0x0F);
}

}  // namespace

std::optional<PinBlock> PackPin(std::string_view digits) {
    if (digits.size() < kMinPinLength || digits.size() > kMaxPinLength) {
        return std::nullopt;
    }
    PinBlock block;
    block.fill(0xFF);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const char digit = digits[i];
        if (digit < '0' || digit > '9') {
            return std::nullopt;
        }
        const auto value = static_cast<std::uint8_t>(digit - '0');
        std::uint8_t& byte = block[i / 2];
        byte = i % 2 == 0 ? static_cast<std::uint8_t>((value << 4) | (byte & 0x0F))
                          : static_cast<std::uint8_t>((byte & 0xF0) | value);
    }
    return block;
}

bool IsWellFormedPinBlock(const PinBlock& block) {
    std::size_t digits = 0;
    while (digits < kNibbles && NibbleAt(block, digits) <= 9) {
        ++digits;
    }
    for (std::size_t i = digits; i < kNibbles; ++i) {
        if (NibbleAt(block, i) != kFillerNibble) {
            return false;
        }
    }
    return digits >= kMinPinLength && digits <= kMaxPinLength;
}

}  // namespace kestrova::sim
