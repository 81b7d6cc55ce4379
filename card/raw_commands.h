#pragma once

// Single card commands for pages that drive the card application themselves.
// Command bytes and file identifiers arrive as hex text, exactly two
// characters per byte.

#include <cstdint>

#include "card/response_fields.h"

namespace kestrova {

// Sends the decoded bytes unchanged (the page supplies the whole command) and
// stores the answer's data in the response fields. Returns 0, the card's
// status word, a service code, kResultNoText, kResultWrongLength (text not
// exactly 2 x commandLength characters), kResultBadHexText or
// kResultNoMemory. The fields are cleared first, whatever follows.
std::int32_t TransmitHexCommand(std::int32_t slotNumber, std::int32_t commandLength,
                                const char* commandText, ResponseFields& fields);

// Checks the 4-character identifier but selects nothing: always fails, with
// kResultNoText, kResultWrongLength or kResultBadHexText.
std::int32_t SelectDedicatedFile(const char* fileIdText, std::int32_t slotNumber);

// SELECT of the elementary file named by 4 hex characters, asking for no
// response. Returns 0, kResultNoText, kResultWrongLength, kResultBadHexText,
// or kResultSelectFileFailed when the card refuses.
std::int32_t SelectElementaryFile(const char* fileIdText, std::int32_t slotNumber);

// READ RECORD (Le FE) of the current file, the record number given as two
// hex characters, and its data stored in the response fields. Returns 0, the
// exchange's result, kResultWrongLength (not two characters),
// kResultBadHexText, or kResultRecordNumberOutOfRange (outside 1..254, nothing
// sent). The fields are cleared first.
std::int32_t ReadRecordOfCurrentFile(std::int32_t slotNumber, const char* recordNumberText,
                                     ResponseFields& fields);

}  // namespace kestrova
