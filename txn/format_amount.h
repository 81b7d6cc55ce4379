#pragma once

// The amount of a transaction record as the confirmation window shows it.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace kestrova {

// A value shown in one row of the confirmation window: at most 19
// characters and a terminating zero.
inline constexpr std::size_t kRowValueSize = 20;
using RowValue = std::array<char, kRowValueSize>;

// The amount field of a record: 14 characters at offset 4.
inline constexpr std::size_t kAmountOffset = 4;
inline constexpr std::size_t kAmountLength = 14;

// Reads the longest leading decimal number of the amount characters (white
// space skipped, optional sign, digits with an optional point and fraction,
// optional exponent; none reads as 0), takes it in hundredths and writes it
// with two decimals: "00000000123456" gives "1234.56". Only the first 14
// characters count. Independent of the C locale. None when the text would
// not fit a row: a value beyond what a row can show is refused rather than
// cut, so the window never shows an amount other than the record's.
std::optional<RowValue> FormatAmount(std::string_view amountCharacters);

}  // namespace kestrova
