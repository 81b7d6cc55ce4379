#include <cstdint>

#include "crypto/des_bits.h"
#include "crypto/des_engine.h"
#include "crypto/des_key_schedule.h"
#include "crypto/des_rounds.h"
#include "crypto/des_tables.h"

namespace kestrova::des {

namespace {

// The swap sequences are bit permutations, so agreeing with the standard's
// tables on every single-bit block means agreeing on every block.
constexpr bool PermutationsAgreeWithTheStandard() {
    for (unsigned bit = 0; bit < 64; ++bit) {
        const std::uint64_t block = std::uint64_t{1} << bit;
        const RoundsBlock permuted = ToRoundsForm(block);
        const std::uint64_t unrotated =
            (std::uint64_t{std::rotr(permuted.left, 1)} << 32) | std::rotr(permuted.right, 1);
        if (unrotated != Permute(block, 64, kInitialPermutation)) {
            return false;
        }
        const RoundsBlock halves = {std::rotl(static_cast<std::uint32_t>(block >> 32), 1),
                                    std::rotl(static_cast<std::uint32_t>(block), 1)};
        if (FromRoundsForm(halves) != Permute(block, 64, kFinalPermutation)) {
            return false;
        }
    }
    return true;
}
static_assert(PermutationsAgreeWithTheStandard());

template <bool kDecrypt>
void RunOneBlock(const std::uint8_t key[8], const std::uint8_t input[8], std::uint8_t output[8]) {
    // Not cleared first: ExpandKey writes every round key.
    KeySchedule schedule;  // NOLINT(cppcoreguidelines-pro-type-member-init)
    ExpandKey(key, schedule);
    const RoundsBlock result = RunRounds<kDecrypt>(schedule, ToRoundsForm(LoadBlock(input)));
    StoreBlock(FromRoundsForm(result), output);
    schedule.Wipe();
}

}  // namespace

}  // namespace kestrova::des

namespace kestrova {

void DesEncryptBlock(const std::uint8_t key[8], const std::uint8_t input[8],
                     std::uint8_t output[8]) {
    des::RunOneBlock<false>(key, input, output);
}

void DesDecryptBlock(const std::uint8_t key[8], const std::uint8_t input[8],
                     std::uint8_t output[8]) {
    des::RunOneBlock<true>(key, input, output);
}

}  // namespace kestrova
