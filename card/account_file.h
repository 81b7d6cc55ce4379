#pragma once

// The two account files of the financial application, EF1001 and EF1002.
// They are twins: every difference between them is a field here, and the
// account operations are written once over it.

#include <cstddef>
#include <cstdint>
#include <string>

#include "card/card_commands.h"

namespace kestrova {

struct AccountFile {
    FileIdentifier fileId;
    std::uint8_t firstAccountRecord;
    // The list operations read this many records from the first.
    std::int32_t listedRecords;
    std::uint8_t expectedRecordLength;
    // Characters from record offset 2.
    std::size_t accountNumberLength;
    // The single read refuses a shorter response.
    std::int32_t minimumSingleReadLength;
    // The single read takes an index 0..largestAccountIndex.
    std::int32_t largestAccountIndex;
};

inline constexpr AccountFile kEf1001File{{0x10, 0x01}, 3, 8, 18, 16, 18, 8};
inline constexpr AccountFile kEf1002File{{0x10, 0x02}, 1, 8, 26, 24, 24, 8};

// The two bytes before every record's account number are never looked at.
inline constexpr std::size_t kAccountNumberOffset = 2;

// Every character of the record's account number is an ASCII digit or
// letter.
bool HasAccountCharacters(const ResponseBuffer& record, const AccountFile& file);

// Every character of the record's account number is '0': an unused slot.
bool IsUnusedAccountSlot(const ResponseBuffer& record, const AccountFile& file);

// An account number: the characters are letters or digits, and the slot is
// in use.
bool HoldsAccountNumber(const ResponseBuffer& record, const AccountFile& file);

// The record's account number as text.
std::string AccountNumberOf(const ResponseBuffer& record, const AccountFile& file);

// What the list operations keep: a non-empty response whose byte at offset 3
// is a digit and that holds an account number.
bool IsListedAccount(const ResponseBuffer& record, std::int32_t responseLength,
                     const AccountFile& file);

}  // namespace kestrova
