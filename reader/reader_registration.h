#pragma once

// Registering a reader in a slot. A registered reader holds no connection:
// registering only proves that the reader exists and that a card in it
// answers or is busy.

#include <cstdint>

namespace kestrova {

// What registering a reader came to: its slot (1..16; 0 when it has none)
// and a code: 0 when the reader's slot is ready for a connect, whether it was
// registered now or already; else a warning (the card was removed or does
// not respond, and no connection had to be closed; the slot is still the
// reader's) or an error.
struct Registration {
    std::int32_t slot = 0;
    std::int32_t code = 0;
};

// Looks the name up among the registered slots (a slot whose name begins
// with `name`, case-sensitive). Otherwise test-connects the reader
// exclusively and, when a card answers (or is busy, removed or unresponsive),
// registers the name in the first free slot and closes a connection again
// (with a reset and a 100 ms pause). Errors: -1 (unbound),
// kResultNoReaderName, kResultReaderNameTooLong (64 characters or more),
// kResultNoFreeSlot, or the service's code of the test connection.
Registration RegisterReader(const char* name);

}  // namespace kestrova
