#pragma once

// The card layer's result codes. Every operation returns one 32-bit signed
// code: 0 for success (and the card's 90 00), a card status word 0x6001 to
// 0xFFFF passed through, a PC/SC service code (negative as 32 bits) passed
// through, or one of the codes below.

#include <cstdint>

namespace kestrova {

inline constexpr std::int32_t kResultSuccess = 0;

// The service cannot be bound; also a data response without a length byte
// reference, more than 16 listed readers, and any failure of the reader table.
inline constexpr std::int32_t kResultFailure = -1;

// The slot holds no card connection (reading the card status).
inline constexpr std::int32_t kResultNoConnection = 6;

// The service context is not open.
inline constexpr std::int32_t kResultContextNotOpen = 7;

// Slot number outside 1..16.
inline constexpr std::int32_t kResultBadSlot = 9;

// Reader attribute index outside 0..4.
inline constexpr std::int32_t kResultBadAttributeIndex = 0x1001;

// No string was given for the reader name.
inline constexpr std::int32_t kResultNoReaderName = 0x1003;

// The card answered fewer than two bytes, so there is no status word. Lies
// outside the status-word range and is filed as an error by SplitResult.
inline constexpr std::int32_t kResultNoStatusWord = 0x1601;

// A reader name of 64 characters or more does not fit a slot; such a reader
// is left out of the listing and cannot be registered.
inline constexpr std::int32_t kResultReaderNameTooLong = 0x1602;

// All 16 slots hold a reader; the card answered but the reader could not be
// registered.
inline constexpr std::int32_t kResultNoFreeSlot = 0x1603;

// Opening a reader failed because the service context could not be opened.
inline constexpr std::int32_t kResultOpenReaderFailed = 0x3001405;

}  // namespace kestrova
