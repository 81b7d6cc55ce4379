#include <cstdint>

#include "crypto/cbc_mac.h"
#include "crypto/des_bits.h"
#include "crypto/des_engine.h"
#include "crypto/des_rounds.h"
#include "crypto/key_type_cipher.h"

namespace kestrova {

namespace {

using des::FromRoundsForm;
using des::KeyTypeCipher;
using des::LoadBlock;
using des::RoundsBlock;
using des::StoreBlock;
using des::ToRoundsForm;

bool ArgumentsPresent(const std::uint8_t* key, std::int32_t length, const std::uint8_t* input,
                      const std::uint8_t* output, std::int32_t mode,
                      const std::uint8_t* initialValue) {
    if (key == nullptr || length <= 0 || input == nullptr || output == nullptr) {
        return false;
    }
    if (mode != kModeEcb && mode != kModeCbc) {
        return false;
    }
    return mode == kModeEcb || initialValue != nullptr;
}

// Input and output may be the same buffer: each block is read before it is
// written.
template <bool kTriple>
void EncryptBlocks(const KeyTypeCipher& cipher, std::int32_t length, const std::uint8_t* input,
                   std::uint8_t* output, const std::uint8_t* initialValue) {
    if (initialValue == nullptr) {
        for (std::int32_t offset = 0; offset < length; offset += 8) {
            const RoundsBlock block = ToRoundsForm(LoadBlock(input + offset));
            StoreBlock(FromRoundsForm(cipher.Encrypt<kTriple>(block)), output + offset);
        }
        return;
    }
    // The chaining block stays in the rounds' form: the permutations are
    // linear, so xoring there equals xoring the bytes.
    RoundsBlock chain = ToRoundsForm(LoadBlock(initialValue));
    for (std::int32_t offset = 0; offset < length; offset += 8) {
        const RoundsBlock block = ToRoundsForm(LoadBlock(input + offset));
        chain = cipher.Encrypt<kTriple>(des::Xor(block, chain));
        StoreBlock(FromRoundsForm(chain), output + offset);
    }
}

template <bool kTriple>
void DecryptBlocks(const KeyTypeCipher& cipher, std::int32_t length, std::uint8_t* output,
                   const std::uint8_t* input, const std::uint8_t* initialValue) {
    RoundsBlock chain =
        initialValue == nullptr ? RoundsBlock{0, 0} : ToRoundsForm(LoadBlock(initialValue));
    for (std::int32_t offset = 0; offset < length; offset += 8) {
        const RoundsBlock block = ToRoundsForm(LoadBlock(input + offset));
        StoreBlock(FromRoundsForm(des::Xor(cipher.Decrypt<kTriple>(block), chain)),
                   output + offset);
        if (initialValue != nullptr) {
            chain = block;
        }
    }
}

template <bool kTriple>
void ChainBlocks(const KeyTypeCipher& cipher, std::int32_t length, const std::uint8_t* input,
                 const std::uint8_t* initialValue, std::uint8_t* mac) {
    RoundsBlock chain = ToRoundsForm(LoadBlock(initialValue));
    for (std::int32_t offset = 0; offset < length; offset += 8) {
        chain = cipher.Encrypt<kTriple>(des::Xor(ToRoundsForm(LoadBlock(input + offset)), chain));
    }
    StoreBlock(FromRoundsForm(chain), mac);
}

}  // namespace

std::int32_t CipherEncrypt(const std::uint8_t* key, std::int32_t length, const std::uint8_t* input,
                           std::uint8_t* output, std::int32_t keyType, std::int32_t mode,
                           const std::uint8_t* initialValue) {
    if (!ArgumentsPresent(key, length, input, output, mode, initialValue)) {
        return kCipherBadArgument;
    }
    // A trailing partial block would be read and written past the caller's
    // buffers, so CBC refuses it as well as ECB.
    if (length % 8 != 0) {
        return kCipherBadLength;
    }
    KeyTypeCipher cipher;
    if (!cipher.Load(key, keyType)) {
        return kCipherBadArgument;
    }
    const std::uint8_t* chainStart = mode == kModeCbc ? initialValue : nullptr;
    if (cipher.IsTriple()) {
        EncryptBlocks<true>(cipher, length, input, output, chainStart);
    } else {
        EncryptBlocks<false>(cipher, length, input, output, chainStart);
    }
    return 0;
}

std::int32_t CipherDecrypt(const std::uint8_t* key, std::int32_t length, std::uint8_t* output,
                           const std::uint8_t* input, std::int32_t keyType, std::int32_t mode,
                           const std::uint8_t* initialValue) {
    if (!ArgumentsPresent(key, length, input, output, mode, initialValue)) {
        return kCipherBadArgument;
    }
    KeyTypeCipher cipher;
    if (!cipher.Load(key, keyType)) {
        return kCipherBadArgument;
    }
    // The length is not tested here; only whole blocks are touched, so a
    // trailing partial block is left as it was rather than overrun.
    const std::int32_t wholeLength = length - length % 8;
    const std::uint8_t* chainStart = mode == kModeCbc ? initialValue : nullptr;
    if (cipher.IsTriple()) {
        DecryptBlocks<true>(cipher, wholeLength, output, input, chainStart);
    } else {
        DecryptBlocks<false>(cipher, wholeLength, output, input, chainStart);
    }
    return 0;
}

std::int32_t CbcMac(const std::uint8_t* key, std::int32_t length, const std::uint8_t* input,
                    std::int32_t keyType, const std::uint8_t* initialValue, std::uint8_t* mac) {
    if (!ArgumentsPresent(key, length, input, mac, kModeCbc, initialValue)) {
        return kCipherBadArgument;
    }
    if (length % 8 != 0) {
        return kCipherBadLength;
    }
    KeyTypeCipher cipher;
    if (!cipher.Load(key, keyType)) {
        return kCipherBadArgument;
    }
    if (cipher.IsTriple()) {
        ChainBlocks<true>(cipher, length, input, initialValue, mac);
    } else {
        ChainBlocks<false>(cipher, length, input, initialValue, mac);
    }
    return 0;
}

}  // namespace kestrova
