#pragma once

// The card's 8-byte PIN block: the digits packed two per byte, high nibble
// first, the rest filled with F nibbles.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrova::sim {

using PinBlock = std::array<std::uint8_t, 8>;

// None unless the PIN is 6 to 12 ASCII digits.
std::optional<PinBlock> PackPin(std::string_view digits);

// A block the card accepts as a PIN: 6 to 12 digit nibbles, then F nibbles
// only. Eight FF bytes (no PIN) and the keypad marker F0 F0 ... are not.
bool IsWellFormedPinBlock(const PinBlock& block);

}  // namespace kestrova::sim
