#pragma once

// Hex text for writing and showing bytes in tests and in the event log:
// uppercase out, two characters per byte, no separators.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sim/service/export.h"
#include "sim/service/simulated_card.h"

namespace kestrova::sim {

// "00 A4 04 00" or "00a40400": spaces between digits are ignored. Any other
// character, or an odd number of digits, is a mistake in the test itself:
// the process stops with a message naming the text.
KESTROVA_SIM_API Bytes HexBytes(std::string_view text);

KESTROVA_SIM_API std::string HexText(const std::uint8_t* bytes, std::size_t count);
KESTROVA_SIM_API std::string HexText(const Bytes& bytes);

}  // namespace kestrova::sim
