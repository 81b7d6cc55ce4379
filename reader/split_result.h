#pragma once

// Filing a failed result for the page: a card status word goes to the
// status-word field (read back as the last error), any other failure to the
// error field.

#include <cstdint>

namespace kestrova {

// 0x6001..0x6FFFE: status-word field. 0x2002..0x5FFF: neither field.
// Everything else (0, own codes up to 0x2001, 0x6000, 0x6FFFF and up, every
// negative service code): error field. Returns `result`.
std::int32_t SplitResult(std::int32_t result, std::int32_t& statusWordField,
                         std::int32_t& errorField);

}  // namespace kestrova
