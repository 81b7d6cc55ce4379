#pragma once

// Connecting, refreshing and disconnecting the card of a registered slot.

#include <cstdint>

#include "reader/card_service.h"

namespace kestrova {

// Share selector: 1 exclusive, 0 direct, any other value shared.
// Disposition selector: 0 eject, 1 leave, 2 reset, any other value unpower.
inline constexpr std::int32_t kShareExclusive = 1;
inline constexpr std::int32_t kDispositionReset = 2;

// Connects the card in the slot's reader and reads its answer to reset. A
// connect that fails is retried by reconnecting the latest connection (after
// 150 ms) or else the slot's own (after 100 ms); a reader busy with a
// connection of this process takes that connection over, or is connected
// shared inside a transaction (ended before the card layer's next connect).
// Returns 0 with atrLength and atr delivered, -1 (unbound), 9 (bad slot),
// 7 (context not open) or the service's code.
std::int32_t ConnectSlot(std::int32_t slotNumber, std::int32_t shareSelector,
                         std::int32_t& atrLength, AtrBuffer& atr);

// Re-reads the status of the slot's card (the latest connection first).
// Returns 0, also with nothing delivered when the slot has no connection,
// -1, 9, 7 or the service's code of the status query.
std::int32_t RefreshSlot(std::int32_t slotNumber, std::int32_t& atrLength, AtrBuffer& atr);

// Disconnects the slot's card, if any, empties the slot, forgets the latest
// connection and pauses 200 ms. Returns 0, 9, -1 or the service's code.
std::int32_t DisconnectSlot(std::int32_t slotNumber, std::int32_t dispositionSelector);

// For the reader layer: the slot numbered `slotNumber` once the service is
// bound and its context open; else null, with why in `refused` (-1, 9, 7).
ReaderSlot* SlotOfOpenContext(std::int32_t slotNumber, std::int32_t& refused);

// For the reader layer: the status of the card of the latest connection,
// which becomes the slot's, else of the slot's own connection; without
// either, `withoutConnection`.
std::int32_t QueryCurrentStatus(ReaderSlot& slot, std::int32_t& atrLength, AtrBuffer& atr,
                                std::int32_t withoutConnection);

// For the reader layer: the status query over `card`, which rewrites the
// slot's name with the service's name for the reader and delivers the ATR.
std::int32_t QuerySlotStatus(SCARDHANDLE card, ReaderSlot& slot, std::int32_t& atrLength,
                             AtrBuffer& atr);

}  // namespace kestrova
