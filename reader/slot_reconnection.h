#pragma once

// Reviving the connection a slot already holds, for a caller that watches a
// card being taken out and put back.

#include <cstdint>

#include "reader/card_service.h"

namespace kestrova {

// Reconnects the slot's handle (the latest connection first) exclusively,
// leaving the card as it is, and reads its answer to reset. pcscd keeps a
// handle whose card was pulled exclusive and answering SCARD_W_REMOVED_CARD,
// also after the card is back, until it is reconnected; a fresh connect meets
// a sharing violation meanwhile. Returns 0 with the ATR delivered, -1, 9, 7,
// kResultNoConnection when the slot holds no handle, or the service's code
// (SCARD_E_NO_SMARTCARD while the reader is empty).
std::int32_t ReconnectSlot(std::int32_t slotNumber, std::int32_t& atrLength, AtrBuffer& atr);

}  // namespace kestrova
