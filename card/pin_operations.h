#pragma once

// Having the card check the cardholder's PIN, and replacing it. Card status
// words (63CX for a wrong PIN, 6983 for a blocked one) are passed through
// uninterpreted. PIN blocks are wiped as soon as their command is sent.

#include <cstdint>

namespace kestrova {

// On the connected card of `slotNumber`. An absent or empty PIN means none is
// given: the card receives 8 bytes of FF, or on an ACS ACR83U reader the
// data-less class-80 VERIFY. Returns 0, kResultNoReaderKind,
// kResultWrongLength (PIN outside 6..12 characters), kResultNotDigit,
// kResultSelectApplicationFailed, or the VERIFY's result. The PIN is checked
// before any command. The reader list is not used.
std::int32_t VerifyPin(const char* readerName, const char* readerList, std::int32_t slotNumber,
                       const char* pin);

// Connects the card in the named reader (in a slot of its own; it stays
// connected) and changes its PIN. On a keypad reader ("Todos eCode
// Connectable" models, "ACS APG8201") the PINs are entered on the reader and
// the page's PIN texts are not sent. The reader list and the verify flag are
// not used; the serial number is only tested for presence.
std::int32_t ChangePin(const char* readerName, const char* readerList, const char* oldPin,
                       const char* newPin, const char* cardSerialNo, std::int32_t verifyFlag);

}  // namespace kestrova
