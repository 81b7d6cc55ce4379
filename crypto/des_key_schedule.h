#pragma once

// The sixteen 48-bit round keys of one DES key, in encryption order.

#include <array>
#include <cstdint>

namespace kestrova::des {

struct KeySchedule {
    std::array<std::uint64_t, 16> roundKeys{};
};

// The parity bits (the low bit of each key byte) are dropped, never checked.
void ExpandKey(const std::uint8_t key[8], KeySchedule& schedule);

}  // namespace kestrova::des
