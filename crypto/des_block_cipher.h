#pragma once

// Single DES on one 64-bit block under an expanded key.

#include <cstdint>

#include "crypto/des_key_schedule.h"

namespace kestrova::des {

std::uint64_t EncryptBlock(const KeySchedule& schedule, std::uint64_t block);
std::uint64_t DecryptBlock(const KeySchedule& schedule, std::uint64_t block);

}  // namespace kestrova::des
