#pragma once

// Which connection belongs to which reader. Every slot keeps its own card
// handle; the service's latest connection (`currentCard`) counts for a slot
// only while no other slot holds it, so that whatever a page does with one
// reader never reaches, resets or takes over the connection of another.

#include <cstddef>

#include "reader/card_service.h"

namespace kestrova {

// True when the slot's name begins with the `length` characters of `name`
// (the name lookup's own rule).
bool SlotNameStartsWith(const ReaderSlot& slot, const char* name, std::size_t length);

// True when a slot other than `own` (null: any slot) holds `card`.
bool HeldByAnotherSlot(const CardService& service, SCARDHANDLE card, const ReaderSlot* own);

// True when `card` is the connection of a reader other than `name`: a slot
// that still carries another reader's name holds it.
bool HeldByAnotherReader(const CardService& service, SCARDHANDLE card, const char* name,
                         std::size_t length);

// The service's latest connection as far as `slot` may use it: 0 when
// another slot holds it.
SCARDHANDLE LatestCardFor(const CardService& service, const ReaderSlot& slot);

// The connection the card layer holds on the reader `name`: the latest one
// unless it is another reader's, else the card of a slot whose name is that
// reader's or was cleared for this very open. 0 when there is none.
SCARDHANDLE OwnCardOf(const CardService& service, const char* name, std::size_t length);

// A handle that was disconnected is forgotten wherever it was kept: in every
// slot, as the latest connection, and as the holder of a transaction.
void ForgetClosedCard(CardService& service, SCARDHANDLE card);

}  // namespace kestrova
