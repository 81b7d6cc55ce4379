#include "crypto/des_key_schedule.h"

#include <cstddef>
#include <cstring>

#include "crypto/des_bits.h"
#include "crypto/des_tables.h"

namespace kestrova::des {

namespace {

constexpr std::uint32_t kHalfMask = 0x0FFFFFFFU;
constexpr unsigned kChunkBits = 7;
constexpr std::uint64_t kChunkMask = (1U << kChunkBits) - 1;

using ChunkTable = std::array<std::array<std::uint64_t, 1U << kChunkBits>, 8>;

// A 48-bit round key (box 1 in the top six bits) as the rounds' two words, the
// first in the high half.
constexpr std::uint64_t RoundsForm(std::uint64_t roundKey) {
    std::uint64_t oddBoxes = 0;  // S1, S3, S5, S7
    std::uint64_t evenBoxes = 0;
    for (unsigned box = 0; box < 8; ++box) {
        const std::uint64_t bits = (roundKey >> (42 - 6 * box)) & 0x3FU;
        const unsigned place = 24 - 8 * (box / 2);
        if (box % 2 == 0) {
            oddBoxes |= bits << place;
        } else {
            evenBoxes |= bits << place;
        }
    }
    return (oddBoxes << 32) | evenBoxes;
}

// Permuted Choice 1 of a key holding only byte `index`, by that byte's seven
// key bits: C in bits 28..55, D in bits 0..27.
constexpr ChunkTable MakeChoice1Table() {
    ChunkTable table{};
    for (unsigned index = 0; index < 8; ++index) {
        for (unsigned bits = 0; bits <= kChunkMask; ++bits) {
            const std::uint64_t key = static_cast<std::uint64_t>(bits << 1) << (56 - 8 * index);
            table[index][bits] = Permute(key, 64, kPermutedChoice1);
        }
    }
    return table;
}

// Permuted Choice 2, in the rounds' form, of C (tables 0..3) or D (4..7)
// holding only the seven-bit chunk `index % 4`, counted from the low end.
constexpr ChunkTable MakeChoice2Table() {
    ChunkTable table{};
    for (unsigned index = 0; index < 8; ++index) {
        const unsigned halfShift = index < 4 ? 28 : 0;
        for (unsigned bits = 0; bits <= kChunkMask; ++bits) {
            const std::uint64_t joined = (std::uint64_t{bits} << (kChunkBits * (index % 4)))
                                         << halfShift;
            table[index][bits] = RoundsForm(Permute(joined, 56, kPermutedChoice2));
        }
    }
    return table;
}

constexpr ChunkTable kChoice1 = MakeChoice1Table();
constexpr ChunkTable kChoice2 = MakeChoice2Table();

constexpr std::uint64_t Choice2(std::uint64_t c, std::uint64_t d) {
    return kChoice2[0][c & kChunkMask] | kChoice2[1][(c >> 7) & kChunkMask] |
           kChoice2[2][(c >> 14) & kChunkMask] | kChoice2[3][(c >> 21) & kChunkMask] |
           kChoice2[4][d & kChunkMask] | kChoice2[5][(d >> 7) & kChunkMask] |
           kChoice2[6][(d >> 14) & kChunkMask] | kChoice2[7][(d >> 21) & kChunkMask];
}

constexpr void Expand(const std::uint8_t key[8], KeySchedule& schedule) {
    std::uint64_t choice1 = 0;
    for (std::size_t index = 0; index < 8; ++index) {
        choice1 |= kChoice1[index][key[index] >> 1];
    }
    // Each half twice over, side by side: the half rotated left by n is then
    // bits 28 - n .. 55 - n, so no round needs to rotate.
    const std::uint64_t c = choice1 >> 28;
    const std::uint64_t d = choice1 & kHalfMask;
    const std::uint64_t doubledC = c | (c << 28);
    const std::uint64_t doubledD = d | (d << 28);
    unsigned rotation = 0;
#pragma GCC unroll 16
    for (std::size_t round = 0; round < 16; ++round) {
        rotation += kShiftSchedule[round];
        const std::uint64_t roundKey =
            Choice2(doubledC >> (28 - rotation), doubledD >> (28 - rotation));
        schedule.roundKeys[2 * round] = static_cast<std::uint32_t>(roundKey >> 32);
        schedule.roundKeys[2 * round + 1] = static_cast<std::uint32_t>(roundKey);
    }
}

// The schedule as the standard computes it, bit by bit, in the rounds' form.
constexpr KeySchedule ExpandBitByBit(const std::uint8_t key[8]) {
    std::uint64_t block = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        block = (block << 8) | key[i];
    }
    const std::uint64_t choice1 = Permute(block, 64, kPermutedChoice1);
    auto c = static_cast<std::uint32_t>(choice1 >> 28);
    auto d = static_cast<std::uint32_t>(choice1 & kHalfMask);
    KeySchedule schedule{};  // evaluated at compile time only
    for (std::size_t round = 0; round < 16; ++round) {
        const unsigned count = kShiftSchedule[round];
        c = ((c << count) | (c >> (28U - count))) & kHalfMask;
        d = ((d << count) | (d >> (28U - count))) & kHalfMask;
        const std::uint64_t joined = (static_cast<std::uint64_t>(c) << 28) | d;
        const std::uint64_t roundKey = RoundsForm(Permute(joined, 56, kPermutedChoice2));
        schedule.roundKeys[2 * round] = static_cast<std::uint32_t>(roundKey >> 32);
        schedule.roundKeys[2 * round + 1] = static_cast<std::uint32_t>(roundKey);
    }
    return schedule;
}

// Both are bit selections, so agreeing on every single-bit key means agreeing
// on every key.
constexpr bool ExpandAgreesWithTheStandard() {
    for (unsigned bit = 0; bit < 64; ++bit) {
        std::uint8_t key[8] = {};
        key[bit / 8] = static_cast<std::uint8_t>(0x80U >> (bit % 8));
        KeySchedule fast{};
        Expand(key, fast);
        if (fast.roundKeys != ExpandBitByBit(key).roundKeys) {
            return false;
        }
    }
    return true;
}
static_assert(ExpandAgreesWithTheStandard());

}  // namespace

void KeySchedule::Wipe() {
    std::memset(roundKeys.data(), 0, sizeof roundKeys);
    // The compiler must assume the zeroed keys are read, so it keeps the stores.
    __asm__ __volatile__("" : : "r"(roundKeys.data()) : "memory");
}

void ExpandKey(const std::uint8_t key[8], KeySchedule& schedule) {
    Expand(key, schedule);
}

}  // namespace kestrova::des
