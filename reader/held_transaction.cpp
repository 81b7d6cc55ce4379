#include "reader/held_transaction.h"

namespace kestrova {

void HoldTransaction(CardService& service, SCARDHANDLE card) {
    service.transactionCard = card;
}

void EndHeldTransaction(CardService& service) {
    if (service.transactionCard == 0) {
        return;
    }
    service.functions.endTransaction(service.transactionCard, SCARD_LEAVE_CARD);
    service.transactionCard = 0;
}

SCARDHANDLE EndHeldTransactionBeforeConnect(CardService& service, bool heldByAnotherReader) {
    const SCARDHANDLE card = service.transactionCard;
    if (card == 0 || heldByAnotherReader) {
        return 0;
    }
    EndHeldTransaction(service);
    return card;
}

void ResumeHeldTransaction(CardService& service, SCARDHANDLE endedOn) {
    if (endedOn == 0 || service.transactionCard != 0) {
        return;
    }
    bool kept = false;
    for (const ReaderSlot& slot : service.slots) {
        kept = kept || slot.card == endedOn;
    }
    if (kept && NarrowResult(service.functions.beginTransaction(endedOn)) == SCARD_S_SUCCESS) {
        HoldTransaction(service, endedOn);
    }
}

void ForgetHeldTransaction(CardService& service, SCARDHANDLE card) {
    if (card == service.transactionCard) {
        service.transactionCard = 0;
    }
}

}  // namespace kestrova
