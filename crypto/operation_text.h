#pragma once

// Argument rules shared by the DES and MAC operations.

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrova::operation_text {

// 8, 16 or 24 bytes: single DES, two-key or three-key triple DES.
bool IsSupportedKeyLength(std::int32_t keyLen);
std::int32_t KeyTypeOf(std::int32_t keyLen);

// True when byteCount equals half the text's length, rounded down, so one
// extra character is tolerated and ignored.
bool HalfLengthIs(const char* text, std::int32_t byteCount);

bool LengthIs(const char* text, std::size_t characters);

// Replaces text with the 16 uppercase hex characters of an 8-byte block,
// reusing its storage.
void AssignBlockText(const std::uint8_t block[8], std::string& text);

}  // namespace kestrova::operation_text
