#pragma once

// Whether a card sits in a reader and answers, and the status of a slot's
// card.

#include <cstdint>

#include "reader/card_service.h"

namespace kestrova {

// Opens the reader and connects its card as a page's connect does, then
// reads its status; the card stays connected in its slot. The control's
// slot and reader count are not touched. Returns 0 when a card answers,
// else the first failure (SCARD_E_NO_SMARTCARD for an empty reader).
std::int32_t CheckCardPresent(const char* name);

// The status of the slot's card (the latest connection first). Returns 0
// with the ATR delivered, 9 (bad slot), -1 (unbound), 7 (context not open),
// 6 (no connection) or the service's code.
std::int32_t ReadCardStatus(std::int32_t& atrLength, AtrBuffer& atr, std::int32_t slotNumber);

}  // namespace kestrova
