#include "crypto/des_block_cipher.h"

#include <array>
#include <cstddef>

#include "crypto/des_bits.h"
#include "crypto/des_engine.h"
#include "crypto/des_tables.h"
#include "platform/secure_wipe.h"

namespace kestrova::des {

namespace {

using SpBoxes = std::array<std::array<std::uint32_t, 64>, 8>;

// Each S-box folded together with the permutation P that follows it, indexed
// by the box's 6-bit input (first bit most significant): one lookup per box
// gives that box's share of f.
constexpr SpBoxes MakeSpBoxes() {
    SpBoxes boxes{};
    for (std::size_t box = 0; box < 8; ++box) {
        for (unsigned input = 0; input < 64; ++input) {
            const unsigned row = ((input >> 4) & 2U) | (input & 1U);
            const unsigned column = (input >> 1) & 0x0FU;
            const std::uint64_t substituted =
                static_cast<std::uint64_t>(kSubstitutionBoxes[box][row * 16 + column])
                << (28 - 4 * box);
            boxes[box][input] =
                static_cast<std::uint32_t>(Permute(substituted, 32, kRoundPermutation));
        }
    }
    return boxes;
}

constexpr SpBoxes kSpBoxes = MakeSpBoxes();

// E feeds box i the overlapping window of bits 4i .. 4i+5 of R (bit 0 being
// bit 32), which is what Feistel reads by shifting instead of permuting.
constexpr bool ExpansionIsOverlappingWindows() {
    for (unsigned box = 0; box < 8; ++box) {
        for (unsigned bit = 0; bit < 6; ++bit) {
            if (kExpansion[box * 6 + bit] != (4 * box + bit + 31) % 32 + 1) {
                return false;
            }
        }
    }
    return true;
}
static_assert(ExpansionIsOverlappingWindows());

std::uint32_t Feistel(std::uint32_t right, std::uint64_t roundKey) {
    // 34 bits: bit 32 of R, then R, then bit 1 of R, so every window is
    // contiguous.
    const std::uint64_t wrapped = (static_cast<std::uint64_t>(right & 1U) << 33) |
                                  (static_cast<std::uint64_t>(right) << 1) | (right >> 31);
    std::uint32_t result = 0;
    for (unsigned box = 0; box < 8; ++box) {
        const std::uint64_t window = wrapped >> (28 - 4 * box);
        const std::uint64_t keyBits = roundKey >> (42 - 6 * box);
        result |= kSpBoxes[box][(window ^ keyBits) & 0x3FU];
    }
    return result;
}

std::uint64_t RunRounds(const KeySchedule& schedule, std::uint64_t block, bool reverseKeys) {
    const std::uint64_t permuted = Permute(block, 64, kInitialPermutation);
    auto left = static_cast<std::uint32_t>(permuted >> 32);
    auto right = static_cast<std::uint32_t>(permuted);
    for (std::size_t round = 0; round < 16; ++round) {
        const std::uint64_t roundKey = schedule.roundKeys[reverseKeys ? 15 - round : round];
        const std::uint32_t next = left ^ Feistel(right, roundKey);
        left = right;
        right = next;
    }
    // The halves are not swapped back after the last round.
    const std::uint64_t preOutput = (static_cast<std::uint64_t>(right) << 32) | left;
    return Permute(preOutput, 64, kFinalPermutation);
}

}  // namespace

std::uint64_t EncryptBlock(const KeySchedule& schedule, std::uint64_t block) {
    return RunRounds(schedule, block, false);
}

std::uint64_t DecryptBlock(const KeySchedule& schedule, std::uint64_t block) {
    return RunRounds(schedule, block, true);
}

}  // namespace kestrova::des

namespace kestrova {

void DesEncryptBlock(const std::uint8_t key[8], const std::uint8_t input[8],
                     std::uint8_t output[8]) {
    des::KeySchedule schedule;
    des::ExpandKey(key, schedule);
    des::StoreBlock(des::EncryptBlock(schedule, des::LoadBlock(input)), output);
    platform::WipeBytes(&schedule, sizeof schedule);
}

void DesDecryptBlock(const std::uint8_t key[8], const std::uint8_t input[8],
                     std::uint8_t output[8]) {
    des::KeySchedule schedule;
    des::ExpandKey(key, schedule);
    des::StoreBlock(des::DecryptBlock(schedule, des::LoadBlock(input)), output);
    platform::WipeBytes(&schedule, sizeof schedule);
}

}  // namespace kestrova
