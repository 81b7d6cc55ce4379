#pragma once

// The flow's own message to the user, in code page 950.

namespace kestrova {

// "交易取消！": the transaction was not confirmed.
inline constexpr char kTransactionCancelledText[] = "\xA5\xE6\xA9\xF6\xA8\xFA\xAE\xF8\xA1\x49";
inline constexpr char kTransactionCancelledCaption[] = "Kestrova";

}  // namespace kestrova
