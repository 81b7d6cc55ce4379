#pragma once

// Registering a reader in a slot. A registered reader holds no connection:
// registering only proves that the reader exists and that a card in it
// answers or is busy.

#include <cstdint>

namespace kestrova {

// Looks the name up among the registered slots (a slot whose name begins
// with `name`, case-sensitive); when found, sets slotNumber to that slot and
// returns its number (1..16). Otherwise test-connects the reader exclusively
// and, when a card answers (or is busy, removed or unresponsive), registers
// the name in the first free slot, sets slotNumber to it and closes a
// connection again (with a reset and a 100 ms pause). Returns 0 for a new
// registration, the warning code when the card was removed or does not
// respond and no connection had to be closed, or an error: -1 (unbound),
// kResultNoReaderName, kResultReaderNameTooLong (64 characters or more),
// kResultNoFreeSlot, or the service's code of the test connection.
std::int32_t RegisterReader(const char* name, std::int32_t& slotNumber);

// True when a RegisterReader result names a slot the reader already held.
// Any slot number counts, also one above the page's reader count: each reader
// keeps a slot of its own, and no error code lies in 1..16.
bool IsRegisteredSlot(std::int32_t result);

}  // namespace kestrova
