#include "reader/slot_ownership.h"

#include <cstring>

#include "reader/held_transaction.h"

namespace kestrova {
namespace {

bool IsOthers(const ReaderSlot& slot, const ReaderClaim& claim) {
    if (claim.slot != nullptr) {
        return &slot != claim.slot;
    }
    return slot.readerName[0] != '\0' && !SlotNameStartsWith(slot, claim.name, claim.length);
}

SCARDHANDLE OwnCard(const CardService& service, const ReaderClaim& claim) {
    if (claim.slot != nullptr) {
        return claim.slot->card;
    }
    for (const ReaderSlot& slot : service.slots) {
        if (slot.card != 0 && !IsOthers(slot, claim)) {
            return slot.card;
        }
    }
    return 0;
}

}  // namespace

bool SlotNameStartsWith(const ReaderSlot& slot, const char* name, std::size_t length) {
    return std::strncmp(slot.readerName.data(), name, length) == 0;
}

bool HeldByAnother(const CardService& service, SCARDHANDLE card, const ReaderClaim& claim) {
    if (card == 0) {
        return false;
    }
    for (const ReaderSlot& slot : service.slots) {
        if (slot.card == card && IsOthers(slot, claim)) {
            return true;
        }
    }
    return false;
}

CardChoice ChooseCard(const CardService& service, const ReaderClaim& claim) {
    if (HeldByAnother(service, service.currentCard, claim)) {
        return CardChoice{OwnCard(service, claim), false, true};
    }
    if (service.currentCard != 0) {
        return CardChoice{service.currentCard, true, false};
    }
    // A reader being registered has no latest connection to fall back from.
    return CardChoice{claim.slot != nullptr ? claim.slot->card : 0, false, false};
}

void ForgetClosedCard(CardService& service, SCARDHANDLE card) {
    if (card == 0) {
        return;
    }
    for (ReaderSlot& slot : service.slots) {
        if (slot.card == card) {
            slot.card = 0;
        }
    }
    if (service.currentCard == card) {
        service.currentCard = 0;
    }
    ForgetHeldTransaction(service, card);
}

}  // namespace kestrova
