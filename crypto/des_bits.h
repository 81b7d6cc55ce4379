#pragma once

// Bit moves shared by the key schedule and the block cipher. A block or key
// is held as one integer whose most significant used bit is bit 1 of the
// standard's numbering.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

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

// Blocks are big-endian: byte 0 holds bits 1..8.
inline std::uint64_t LoadBlock(const std::uint8_t* bytes) {
    std::uint64_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    if constexpr (std::endian::native == std::endian::little) {
        value = __builtin_bswap64(value);
    }
    return value;
}

inline void StoreBlock(std::uint64_t value, std::uint8_t* bytes) {
    if constexpr (std::endian::native == std::endian::little) {
        value = __builtin_bswap64(value);
    }
    std::memcpy(bytes, &value, sizeof value);
}

}  // namespace kestrova::des
