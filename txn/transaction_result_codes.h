#pragma once

// The transaction flow's own result codes, beside the card layer's
// (card/card_result_codes.h) which it also returns.

#include <cstdint>

namespace kestrova {

// The confirmation window ended without OK: the transaction is cancelled.
inline constexpr std::int32_t kResultTransactionCancelled = 0x1403;

// Before the write, on an ordinary reader: a PIN outside 6..12 characters.
inline constexpr std::int32_t kResultPinLengthBeforeWrite = 0x7001002;

// A PIN character that hex packing refuses.
inline constexpr std::int32_t kResultPinNotPackable = 0x8001001;

}  // namespace kestrova
