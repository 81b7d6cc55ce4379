#pragma once

// The PIN checks of the transaction flow: one before the write on an
// ordinary reader, and one before writing again after a refused write.

#include <cstdint>

namespace kestrova {

// With a PIN given (present and not empty): 6..12 characters, else
// kResultPinLengthBeforeWrite; packed by the hex rules without a digits-only
// test (a character they refuse gives kResultPinNotPackable); then VERIFY,
// whose failure is returned unchanged. Without a PIN nothing is sent and 0
// returned.
std::int32_t VerifyBeforeWrite(std::int32_t slotNumber, const char* password);

// A given PIN must have 6..12 characters (kResultWrongLength) of digits only
// (kResultNotDigit); no PIN sends a block of FF. Then VERIFY; returns its
// result unchanged.
std::int32_t VerifyBeforeRewrite(std::int32_t slotNumber, const char* password);

}  // namespace kestrova
