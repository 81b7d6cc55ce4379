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

TransactionPause::TransactionPause(CardService& service, const ReaderClaim& claim)
    : service_(service) {
    if (service.transactionCard != 0 && !HeldByAnother(service, service.transactionCard, claim)) {
        endedOn_ = service.transactionCard;
        EndHeldTransaction(service);
    }
}

TransactionPause::~TransactionPause() {
    if (endedOn_ == 0 || service_.transactionCard != 0) {
        return;
    }
    bool kept = false;
    for (const ReaderSlot& slot : service_.slots) {
        kept = kept || slot.card == endedOn_;
    }
    if (kept && NarrowResult(service_.functions.beginTransaction(endedOn_)) == SCARD_S_SUCCESS) {
        HoldTransaction(service_, endedOn_);
    }
}

void ForgetHeldTransaction(CardService& service, SCARDHANDLE card) {
    if (card == service.transactionCard) {
        service.transactionCard = 0;
    }
}

}  // namespace kestrova
