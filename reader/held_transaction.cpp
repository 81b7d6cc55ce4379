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

void ForgetHeldTransaction(CardService& service, SCARDHANDLE card) {
    if (card == service.transactionCard) {
        service.transactionCard = 0;
    }
}

}  // namespace kestrova
