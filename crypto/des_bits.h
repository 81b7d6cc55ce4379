#pragma once

// Bit moves shared by the key schedule and the block cipher. A block or key
// is held as one integer whose most significant used bit is bit 1 of the
// standard's numbering.

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestrova::des {

// Output bit k (counted from 1 at the top) is input bit table[k-1] of an
// inputWidth-bit value.
template <std::size_t N>
constexpr std::uint64_t Permute(std::uint64_t input, unsigned inputWidth,
                                const std::array<std::uint8_t, N>& table) {
    std::uint64_t output = 0;
    for (const std::uint8_t position : table) {
        output = (output << 1) | ((input >> (inputWidth - position)) & 1U);
    }
    return output;
}

inline std::uint64_t LoadBlock(const std::uint8_t* bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

inline void StoreBlock(std::uint64_t value, std::uint8_t* bytes) {
    for (std::size_t i = 8; i-- > 0;) {
        bytes[i] = static_cast<std::uint8_t>(value & 0xFFU);
        value >>= 8;
    }
}

}  // namespace kestrova::des
