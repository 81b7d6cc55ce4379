#pragma once

// The card operations' own result codes. They share the card layer's code
// space (reader/result_codes.h): none lies in the status-word range
// 0x6001..0xFFFF, so a code there is always the card's own answer.

#include <cstdint>

namespace kestrova {

// A PIN character that is not a digit (a new PIN in a change); a record
// number outside 1..254.
inline constexpr std::int32_t kResultNotDigit = 0x1001;
inline constexpr std::int32_t kResultRecordNumberOutOfRange = 0x1001;

// A text or data of the wrong length: a PIN outside 6..12 characters, hex
// text that is not exactly two characters per byte, a name or record longer
// than one command can carry.
inline constexpr std::int32_t kResultWrongLength = 0x1002;

// A text argument is absent (a reader name, a serial number, hex text).
inline constexpr std::int32_t kResultNoText = 0x1003;

// Hex text with a character that is neither an ASCII digit nor a letter; and
// every selection of a dedicated file, which is not supported.
inline constexpr std::int32_t kResultBadHexText = 0x1006;

// No reader name, so the reader's kind cannot be told.
inline constexpr std::int32_t kResultNoReaderKind = 0x1101;

inline constexpr std::int32_t kResultSelectApplicationFailed = 0x1200;
// Selecting an elementary file failed; on a keypad reader, also selecting the
// application by name.
inline constexpr std::int32_t kResultSelectFileFailed = 0x1201;
inline constexpr std::int32_t kResultReadRecordFailed = 0x1203;
inline constexpr std::int32_t kResultReadSerialFailed = 0x1209;
inline constexpr std::int32_t kResultWritePinFailed = 0x120A;

// A work buffer of the raw pass-through could not be had.
inline constexpr std::int32_t kResultNoMemory = 0x1401;

// No account at that index: index outside 0..8, a record too short, or an
// unused (all '0') slot.
inline constexpr std::int32_t kResultNoAccount = 0x1502;

// A PIN change without a reader name, old PIN or new PIN.
inline constexpr std::int32_t kResultPinChangeArgumentMissing = 0x01001003;
// A PIN change whose old PIN has a character that is not a digit.
inline constexpr std::int32_t kResultOldPinNotDigit = 0x03001001;

}  // namespace kestrova
