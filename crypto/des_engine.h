#pragma once

// DES (FIPS 46-3) and triple DES (SP 800-67) over plain byte arrays.

#include <cstdint>

namespace kestrova {

inline constexpr std::int32_t kCipherBadArgument = 0x3000;
inline constexpr std::int32_t kCipherBadLength = 0x3001;

// Key types of the key buffer (up to 24 bytes).
inline constexpr std::int32_t kKeyTypeSingle = 0;    // K1
inline constexpr std::int32_t kKeyTypeTwoKey = 1;    // K1, K2; K3 = K1
inline constexpr std::int32_t kKeyTypeThreeKey = 2;  // K1, K2, K3

inline constexpr std::int32_t kModeEcb = 0;
inline constexpr std::int32_t kModeCbc = 1;

void DesEncryptBlock(const std::uint8_t key[8], const std::uint8_t input[8],
                     std::uint8_t output[8]);
void DesDecryptBlock(const std::uint8_t key[8], const std::uint8_t input[8],
                     std::uint8_t output[8]);

// length in bytes, a multiple of 8. initialValue is the first chaining block
// in CBC and may be null in ECB. Returns 0; kCipherBadArgument for a missing
// buffer, a length of 0 or less, an unknown key type or mode, or CBC without
// initialValue; kCipherBadLength for a length that is not a multiple of 8
// (nothing written then).
std::int32_t CipherEncrypt(const std::uint8_t* key, std::int32_t length, const std::uint8_t* input,
                           std::uint8_t* output, std::int32_t keyType, std::int32_t mode,
                           const std::uint8_t* initialValue);

// Note the order: output before input. Only ECB is used. Refuses as
// CipherEncrypt does but does not test the length: only whole blocks are
// decrypted and a trailing partial block is left untouched.
std::int32_t CipherDecrypt(const std::uint8_t* key, std::int32_t length, std::uint8_t* output,
                           const std::uint8_t* input, std::int32_t keyType, std::int32_t mode,
                           const std::uint8_t* initialValue);

}  // namespace kestrova
