#include "reader/slot_reconnection.h"

#include "reader/result_codes.h"
#include "reader/service_binding.h"
#include "reader/slot_connection.h"
#include "reader/slot_ownership.h"

namespace kestrova {

std::int32_t ReconnectSlot(std::int32_t slotNumber, std::int32_t& atrLength, AtrBuffer& atr) {
    std::int32_t refused = kResultSuccess;
    ReaderSlot* slot = SlotOfOpenContext(slotNumber, refused);
    if (slot == nullptr) {
        return refused;
    }
    CardService& service = TheCardService();
    const SCARDHANDLE card = ChooseCard(service, ReaderClaim{slot}).card;
    if (card == 0) {
        return kResultNoConnection;
    }
    const std::int32_t result = NarrowResult(service.functions.reconnect(
        card, SCARD_SHARE_EXCLUSIVE, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, SCARD_LEAVE_CARD,
        &service.activeProtocol));
    if (result != kResultSuccess) {
        return result;
    }
    service.currentCard = card;
    slot->card = card;
    MarkSendPci(*slot, service.activeProtocol);
    return QuerySlotStatus(card, *slot, atrLength, atr);
}

}  // namespace kestrova
