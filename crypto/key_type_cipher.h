#pragma once

// The block cipher a key type selects from the key buffer: DES under K1, or
// triple DES (encrypt-decrypt-encrypt) under K1, K2 and K3, where two-key
// triple DES reuses K1 as K3. Blocks stay in the rounds' form throughout.

#include <cstdint>

#include "crypto/des_key_schedule.h"
#include "crypto/des_rounds.h"

namespace kestrova::des {

class KeyTypeCipher {
  public:
    KeyTypeCipher() = default;
    KeyTypeCipher(const KeyTypeCipher&) = delete;
    KeyTypeCipher& operator=(const KeyTypeCipher&) = delete;
    ~KeyTypeCipher();

    // Expands the keys the key type uses. False for an unknown key type.
    bool Load(const std::uint8_t* keyBuffer, std::int32_t keyType);

    bool IsTriple() const { return triple_; }

    // kTriple must equal IsTriple(); callers choose it once per message.
    template <bool kTriple>
    RoundsBlock Encrypt(RoundsBlock block) const {
        block = RunRounds<false>(first_, block);
        if constexpr (kTriple) {
            block = RunRounds<false>(third_, RunRounds<true>(second_, block));
        }
        return block;
    }

    template <bool kTriple>
    RoundsBlock Decrypt(RoundsBlock block) const {
        if constexpr (kTriple) {
            block = RunRounds<false>(second_, RunRounds<true>(third_, block));
        }
        return RunRounds<true>(first_, block);
    }

  private:
    bool triple_ = false;
    KeySchedule first_;
    KeySchedule second_;
    KeySchedule third_;
};

}  // namespace kestrova::des
