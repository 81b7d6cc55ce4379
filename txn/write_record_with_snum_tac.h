#pragma once

// The write command 00 E2: the card writes a transaction record into one of
// its record files and answers with the record's sequence number (SNUM) and
// transaction authorisation code (TAC).

#include <cstdint>

#include "card/response_fields.h"

namespace kestrova {

// The record length travels in one byte.
inline constexpr std::int32_t kMaxWrittenRecordLength = 255;

// Clears the response fields, then sends 00 E2 P1 P2 Lc record with the file
// identifier (4 hex characters) in P1 P2 and the record given as hex text of
// exactly 2 x recordLength characters, asking for all the data the card has.
// On success the fields hold the data the card really sent (none: empty and
// 0). Returns 0, kResultNoText (a text absent), kResultWrongLength (an
// identifier not 4 characters, a text not 2 x recordLength characters, a
// length outside 0..255), kResultBadHexText, or the failed exchange's result,
// filed by SplitResult.
std::int32_t WriteRecordWithSnumTac(std::int32_t slotNumber, const char* fileIdText,
                                    std::int32_t recordLength, const char* recordText,
                                    ResponseFields& fields);

}  // namespace kestrova
