#include <cstdint>

#include "crypto/des_bits.h"
#include "crypto/des_engine.h"
#include "crypto/key_type_cipher.h"

namespace kestrova {

namespace {

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
    des::KeyTypeCipher cipher;
    if (!cipher.Load(key, keyType)) {
        return kCipherBadArgument;
    }
    std::uint64_t chain = mode == kModeCbc ? des::LoadBlock(initialValue) : 0;
    for (std::int32_t offset = 0; offset < length; offset += 8) {
        std::uint64_t block = des::LoadBlock(input + offset);
        if (mode == kModeCbc) {
            block ^= chain;
        }
        chain = cipher.Encrypt(block);
        des::StoreBlock(chain, output + offset);
    }
    return 0;
}

std::int32_t CipherDecrypt(const std::uint8_t* key, std::int32_t length, std::uint8_t* output,
                           const std::uint8_t* input, std::int32_t keyType, std::int32_t mode,
                           const std::uint8_t* initialValue) {
    if (!ArgumentsPresent(key, length, input, output, mode, initialValue)) {
        return kCipherBadArgument;
    }
    des::KeyTypeCipher cipher;
    if (!cipher.Load(key, keyType)) {
        return kCipherBadArgument;
    }
    // The length is not tested here; only whole blocks are touched, so a
    // trailing partial block is left as it was rather than overrun.
    const std::int32_t wholeLength = length - length % 8;
    std::uint64_t chain = mode == kModeCbc ? des::LoadBlock(initialValue) : 0;
    for (std::int32_t offset = 0; offset < wholeLength; offset += 8) {
        const std::uint64_t block = des::LoadBlock(input + offset);
        std::uint64_t plain = cipher.Decrypt(block);
        if (mode == kModeCbc) {
            plain ^= chain;
            chain = block;
        }
        des::StoreBlock(plain, output + offset);
    }
    return 0;
}

}  // namespace kestrova
