#include "crypto/des_key_schedule.h"

#include "crypto/des_bits.h"
#include "crypto/des_tables.h"

namespace kestrova::des {

namespace {

constexpr std::uint32_t kHalfMask = 0x0FFFFFFFU;

// C and D are 28-bit halves: the bit leaving the top comes back at the bottom.
std::uint32_t RotateHalf(std::uint32_t half, unsigned count) {
    return ((half << count) | (half >> (28U - count))) & kHalfMask;
}

}  // namespace

void ExpandKey(const std::uint8_t key[8], KeySchedule& schedule) {
    const std::uint64_t choice1 = Permute(LoadBlock(key), 64, kPermutedChoice1);
    auto c = static_cast<std::uint32_t>(choice1 >> 28);
    auto d = static_cast<std::uint32_t>(choice1 & kHalfMask);
    for (std::size_t round = 0; round < 16; ++round) {
        c = RotateHalf(c, kShiftSchedule[round]);
        d = RotateHalf(d, kShiftSchedule[round]);
        const std::uint64_t joined = (static_cast<std::uint64_t>(c) << 28) | d;
        schedule.roundKeys[round] = Permute(joined, 56, kPermutedChoice2);
    }
}

}  // namespace kestrova::des
