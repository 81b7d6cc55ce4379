#pragma once

// The financial application's identifier: registered provider A0 00 00 01 72,
// proprietary extension 95 00 01.

#include <array>
#include <cstdint>

namespace kestrova {

inline constexpr std::array<std::uint8_t, 8> FinancialAid = {0xA0, 0x00, 0x00, 0x01,
                                                             0x72, 0x95, 0x00, 0x01};

}  // namespace kestrova
