#pragma once

// OpenSSL doing the work of the engine and of the page's DES and MAC
// operations, for the benchmark to time side by side. Keys are set up on every
// call, as the engine does.

#include <cstdint>
#include <string>

namespace kestrova::bench {

// keyType as the engine's; length a multiple of 8.
void OpenSslCbc(const std::uint8_t* key, std::int32_t keyType, std::int32_t length,
                const std::uint8_t* input, std::uint8_t* output, const std::uint8_t* iv);

// The last block of the CBC encryption, the other blocks not written.
void OpenSslCbcMac(const std::uint8_t* key, std::int32_t keyType, std::int32_t length,
                   const std::uint8_t* input, const std::uint8_t* iv, std::uint8_t* mac);

// The same with the texts a page passes: hex in, 16 uppercase hex characters
// out. False for a text that is not hex.
bool OpenSslEncryptText(std::int32_t keyLen, const char* keyText, const char* blockText,
                        std::string& result);
bool OpenSslMacText(std::int32_t keyLen, const char* keyText, const char* icvText,
                    std::int32_t inLen, const char* dataText, std::string& result);

}  // namespace kestrova::bench
