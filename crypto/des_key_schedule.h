#pragma once

// The sixteen round keys of one DES key, in encryption order, each as the two
// words the rounds use (des_rounds.h): the six key bits of S1, S3, S5 and S7 in
// bits 24..29, 16..21, 8..13 and 0..5 of the first word, those of S2, S4, S6
// and S8 in the same places of the second.

#include <array>
#include <cstdint>

namespace kestrova::des {

struct KeySchedule {
    // Not cleared on construction: ExpandKey fills every entry, and the engine
    // builds schedules on every call.
    std::array<std::uint32_t, 32> roundKeys;  // NOLINT(cppcoreguidelines-pro-type-member-init)

    // Overwrites the round keys so that they do not linger after use.
    void Wipe();
};

// The parity bits (the low bit of each key byte) are dropped, never checked.
void ExpandKey(const std::uint8_t key[8], KeySchedule& schedule);

}  // namespace kestrova::des
