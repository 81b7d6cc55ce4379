#pragma once

// The sixteen DES rounds on a block held in the rounds' own form, so that
// triple DES and CBC chaining can pass blocks from one run of the rounds to the
// next without the initial and final permutations in between.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "crypto/des_bits.h"
#include "crypto/des_key_schedule.h"
#include "crypto/des_tables.h"

namespace kestrova::des {

// L and R after the initial permutation, each rotated left by one bit: then
// the six input bits of S1, S3, S5 and S7 are bits 24..29, 16..21, 8..13 and
// 0..5 of R rotated right by four, and those of S2, S4, S6 and S8 the same bits
// of R itself. The permutations are linear, so xor commutes with this form.
struct RoundsBlock {
    std::uint32_t left;
    std::uint32_t right;
};

using SpBoxes = std::array<std::array<std::uint32_t, 64>, 8>;

// Each S-box followed by P and the rounds' rotation, indexed by the box's 6-bit
// input (first bit most significant): one lookup per box gives that box's share
// of f.
constexpr SpBoxes MakeSpBoxes() {
    SpBoxes boxes{};
    for (std::size_t box = 0; box < 8; ++box) {
        for (unsigned input = 0; input < 64; ++input) {
            const unsigned row = ((input >> 4) & 2U) | (input & 1U);
            const unsigned column = (input >> 1) & 0x0FU;
            const std::uint64_t substituted =
                static_cast<std::uint64_t>(kSubstitutionBoxes[box][row * 16 + column])
                << (28 - 4 * box);
            boxes[box][input] = std::rotl(
                static_cast<std::uint32_t>(Permute(substituted, 32, kRoundPermutation)), 1);
        }
    }
    return boxes;
}

inline constexpr SpBoxes kSpBoxes = MakeSpBoxes();

// Exchanges the bits of `high` selected by mask << shift with the bits of
// `low` selected by mask; the permutations are a handful of these.
constexpr void SwapBits(std::uint32_t& high, std::uint32_t& low, unsigned shift,
                        std::uint32_t mask) {
    const std::uint32_t differing = ((high >> shift) ^ low) & mask;
    low ^= differing;
    high ^= differing << shift;
}

// The initial permutation.
constexpr RoundsBlock ToRoundsForm(std::uint64_t block) {
    auto left = static_cast<std::uint32_t>(block >> 32);
    auto right = static_cast<std::uint32_t>(block);
    SwapBits(left, right, 4, 0x0F0F0F0FU);
    SwapBits(left, right, 16, 0x0000FFFFU);
    SwapBits(right, left, 2, 0x33333333U);
    SwapBits(right, left, 8, 0x00FF00FFU);
    SwapBits(left, right, 1, 0x55555555U);
    return {std::rotl(left, 1), std::rotl(right, 1)};
}

// The final permutation of left followed by right: the same swaps undone.
constexpr std::uint64_t FromRoundsForm(RoundsBlock block) {
    std::uint32_t left = std::rotr(block.left, 1);
    std::uint32_t right = std::rotr(block.right, 1);
    SwapBits(left, right, 1, 0x55555555U);
    SwapBits(right, left, 8, 0x00FF00FFU);
    SwapBits(right, left, 2, 0x33333333U);
    SwapBits(left, right, 16, 0x0000FFFFU);
    SwapBits(left, right, 4, 0x0F0F0F0FU);
    return (static_cast<std::uint64_t>(left) << 32) | right;
}

constexpr std::uint32_t Feistel(std::uint32_t right, const std::uint32_t* roundKey) {
    const std::uint32_t odd = std::rotr(right, 4) ^ roundKey[0];
    const std::uint32_t even = right ^ roundKey[1];
    return kSpBoxes[0][(odd >> 24) & 0x3FU] ^ kSpBoxes[2][(odd >> 16) & 0x3FU] ^
           kSpBoxes[4][(odd >> 8) & 0x3FU] ^ kSpBoxes[6][odd & 0x3FU] ^
           kSpBoxes[1][(even >> 24) & 0x3FU] ^ kSpBoxes[3][(even >> 16) & 0x3FU] ^
           kSpBoxes[5][(even >> 8) & 0x3FU] ^ kSpBoxes[7][even & 0x3FU];
}

// Sixteen rounds, the round keys in encryption or in reverse order. The result
// is R16 followed by L16: the input of the final permutation, and equally the
// input of the next DES pass of triple DES.
template <bool kReverseKeys>
constexpr RoundsBlock RunRounds(const KeySchedule& schedule, RoundsBlock block) {
    std::uint32_t left = block.left;
    std::uint32_t right = block.right;
#pragma GCC unroll 8
    for (std::size_t pair = 0; pair < 8; ++pair) {
        const std::size_t first = kReverseKeys ? 15 - 2 * pair : 2 * pair;
        const std::size_t second = kReverseKeys ? 14 - 2 * pair : 2 * pair + 1;
        left ^= Feistel(right, &schedule.roundKeys[2 * first]);
        right ^= Feistel(left, &schedule.roundKeys[2 * second]);
    }
    return {right, left};
}

constexpr RoundsBlock Xor(RoundsBlock a, RoundsBlock b) {
    return {a.left ^ b.left, a.right ^ b.right};
}

}  // namespace kestrova::des
