#pragma once

// The CBC-MAC of a message: the last block of its CBC encryption, computed
// without writing the blocks before it.

#include <cstdint>

namespace kestrova {

// length in bytes, a multiple of 8; mac receives 8 bytes. Refuses as
// CipherEncrypt in CBC mode does (des_engine.h), with the same codes, and then
// writes nothing.
std::int32_t CbcMac(const std::uint8_t* key, std::int32_t length, const std::uint8_t* input,
                    std::int32_t keyType, const std::uint8_t* initialValue, std::uint8_t* mac);

}  // namespace kestrova
