#pragma once

// What the card answers to the write of a transaction record: the record's
// sequence number (SNUM) and its transaction authorisation code (TAC).

#include <array>
#include <cstdint>
#include <optional>

#include "sim/service/simulated_card.h"

namespace kestrova::sim {

using Snum = std::array<std::uint8_t, 8>;
using Tac = std::array<std::uint8_t, 8>;

// The counter as 8 ASCII digits with leading zeros; none above 99999999.
std::optional<Snum> FormatSnum(std::uint32_t counter);

// Triple-DES CBC-MAC from a zero chaining block over the record padded with
// zero bytes to whole 8-byte blocks: the last cipher block. A 16-byte key is
// two-key triple DES, a 24-byte key three-key. None for another key length or
// an empty record.
std::optional<Tac> ComputeTac(const Bytes& key, const Bytes& record);

}  // namespace kestrova::sim
