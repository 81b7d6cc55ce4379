#pragma once

// The account numbers of EF1001 and EF1002. Every call reads the card again;
// a failed step is reported by its own code, never by the card's status
// word: kResultSelectApplicationFailed, kResultSelectFileFailed,
// kResultReadRecordFailed.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "card/account_file.h"

namespace kestrova {

// Room for 10 account numbers, of which the list operations fill at most 8.
inline constexpr std::size_t kAccountListSize = 10;
using AccountNumberList = std::array<std::string, kAccountListSize>;

// Reads the file's listed records in order and stores each account number
// found (records failing a test are skipped) from entry 0 up, counting them.
// The count is set to 0 only once the file is selected; a read failing in the
// middle returns kResultReadRecordFailed and keeps what was found before it.
// Entries beyond the count keep their old text.
std::int32_t ReadAccountList(std::int32_t slotNumber, const AccountFile& file, std::int32_t& count,
                             AccountNumberList& list);

// One account number by index 0..largestAccountIndex, from record
// firstAccountRecord + index. Index out of range (nothing sent), a response
// shorter than the file's minimum or an unused slot: kResultNoAccount; a
// character that is not an ASCII letter or digit: -1. The text is cleared
// once the record has been read.
std::int32_t ReadAccount(std::int32_t slotNumber, const AccountFile& file, std::int32_t index,
                         std::string& text);

// The account numbers the list operations would find, each followed by ";".
// A failed read leaves the text as it was.
std::int32_t ReadAccountString(std::int32_t slotNumber, const AccountFile& file, std::string& text);

}  // namespace kestrova
