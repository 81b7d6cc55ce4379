#pragma once

// What the confirmation window shows of a transaction record: one to three
// values chosen by the record's transaction code.

#include <array>
#include <cstdint>
#include <string_view>

#include "txn/format_amount.h"

namespace kestrova {

inline constexpr std::size_t kMaxConfirmRows = 3;

struct ConfirmationRows {
    std::array<RowValue, kMaxConfirmRows> values{};
    std::int32_t count = 0;  // 0: the code needs no confirmation
};

// Looks the record's first characters up among the transaction codes "252",
// "253", "254", "256", "251", "258", "MV20" and "FX01" (case sensitive, first
// match wins) and fills the rows that code shows: 16-character text fields
// and the amount. A record that matches no code gives no rows. Returns 0, or
// kResultWrongLength when the record is too short for its code's fields or
// its amount does not fit a row; the rows are then empty.
std::int32_t ConfirmRows(std::string_view record, ConfirmationRows& rows);

}  // namespace kestrova
