#pragma once

// The answer to reset as the text a page reads: uppercase hex, two
// characters per byte, no separators (the convention of every binary value at
// the scripting interface).

#include <array>
#include <cstddef>
#include <cstdint>

#include "reader/card_service.h"

namespace kestrova {

// Room for the text of any ATR the slot buffer can hold.
using AtrText = std::array<char, 2 * kAtrBufferSize>;

// Writes 2 * length characters; no terminator is written. Returns the
// number of characters written. length is at most the buffer's size.
std::int32_t WriteAtrText(const AtrBuffer& atr, std::int32_t length, AtrText& text);

}  // namespace kestrova
