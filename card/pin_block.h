#pragma once

// The PIN as the card receives it: 8 bytes of packed digits, and the rules a
// PIN text must follow.

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestrova {

inline constexpr std::size_t kPinBlockSize = 8;
inline constexpr std::size_t kMinPinLength = 6;
inline constexpr std::size_t kMaxPinLength = 12;

// Starts as 8 bytes of FF; packing puts two digits in each byte, first digit
// in the high nibble, an odd last digit padded with F. The bytes are wiped
// when the block goes, and by Wipe() as soon as the command is sent.
class PinBlock {
  public:
    PinBlock();
    ~PinBlock();
    PinBlock(const PinBlock&) = delete;
    PinBlock& operator=(const PinBlock&) = delete;

    // Packs the first `length` characters of `text` over 8 bytes of FF, by
    // the hex-text rules. Returns 0, kResultWrongLength for more characters
    // than 8 bytes hold, or kResultNotDigit when the hex rules refuse one.
    std::int32_t Pack(const char* text, std::size_t length);

    const std::array<std::uint8_t, kPinBlockSize>& Bytes() const { return bytes_; }

    void Wipe();

  private:
    std::array<std::uint8_t, kPinBlockSize> bytes_{};
};

// A PIN text's length, 0 for an absent text.
std::size_t PinTextLength(const char* pin);

bool HasPinLength(std::size_t length);

// Every one of the first `length` characters is '0'..'9'.
bool IsAllDigits(const char* pin, std::size_t length);

}  // namespace kestrova
