#pragma once

// The block cipher a key type selects from the key buffer: DES under K1, or
// triple DES (encrypt-decrypt-encrypt) under K1, K2 and K3, where two-key
// triple DES reuses K1 as K3.

#include <cstdint>

#include "crypto/des_key_schedule.h"

namespace kestrova::des {

class KeyTypeCipher {
  public:
    KeyTypeCipher() = default;
    KeyTypeCipher(const KeyTypeCipher&) = delete;
    KeyTypeCipher& operator=(const KeyTypeCipher&) = delete;
    ~KeyTypeCipher();

    // Expands the keys the key type uses. False for an unknown key type.
    bool Load(const std::uint8_t* keyBuffer, std::int32_t keyType);

    std::uint64_t Encrypt(std::uint64_t block) const;
    std::uint64_t Decrypt(std::uint64_t block) const;

  private:
    bool triple_ = false;
    KeySchedule first_;
    KeySchedule second_;
    KeySchedule third_;
};

}  // namespace kestrova::des
