#pragma once

// Hex text as it crosses the scripting interface: uppercase out, two
// characters per byte, no separators; either case in.

#include <cstdint>

namespace kestrova {

// Writes 2 * byteCount characters, high nibble first. No terminator is
// written. Returns 0, or -1 when a buffer is missing for a positive count.
std::int32_t HexEncode(std::int32_t byteCount, const std::uint8_t* bytes, char* text);

// '0'..'9' give 0..9; 'A'..'Z' and 'a'..'z' give 10..35. Returns 0, or 1 for
// any other character (value left untouched).
std::int32_t HexDigitValue(char character, std::uint8_t* value);

// Decodes charCount characters in pairs. Returns 0, or -1 at the first refused
// character (or a missing buffer); bytes written before it stay written. An
// odd count puts the last digit in the high nibble of one more byte, whose
// low nibble takes that byte's former high nibble.
std::int32_t HexDecode(std::int32_t charCount, const char* text, std::uint8_t* bytes);

}  // namespace kestrova
