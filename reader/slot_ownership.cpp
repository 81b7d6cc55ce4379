#include "reader/slot_ownership.h"

#include <cstring>

#include "reader/held_transaction.h"

namespace kestrova {

bool SlotNameStartsWith(const ReaderSlot& slot, const char* name, std::size_t length) {
    return std::strncmp(slot.readerName.data(), name, length) == 0;
}

bool HeldByAnotherSlot(const CardService& service, SCARDHANDLE card, const ReaderSlot* own) {
    if (card == 0) {
        return false;
    }
    for (const ReaderSlot& slot : service.slots) {
        if (&slot != own && slot.card == card) {
            return true;
        }
    }
    return false;
}

bool HeldByAnotherReader(const CardService& service, SCARDHANDLE card, const char* name,
                         std::size_t length) {
    if (card == 0) {
        return false;
    }
    for (const ReaderSlot& slot : service.slots) {
        if (slot.card == card && slot.readerName[0] != '\0' &&
            !SlotNameStartsWith(slot, name, length)) {
            return true;
        }
    }
    return false;
}

SCARDHANDLE LatestCardFor(const CardService& service, const ReaderSlot& slot) {
    return HeldByAnotherSlot(service, service.currentCard, &slot) ? 0 : service.currentCard;
}

SCARDHANDLE OwnCardOf(const CardService& service, const char* name, std::size_t length) {
    if (!HeldByAnotherReader(service, service.currentCard, name, length)) {
        return service.currentCard;
    }
    for (const ReaderSlot& slot : service.slots) {
        if (slot.card != 0 &&
            (slot.readerName[0] == '\0' || SlotNameStartsWith(slot, name, length))) {
            return slot.card;
        }
    }
    return 0;
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
