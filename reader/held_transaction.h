#pragma once

// The transaction ConnectSlot begins on a reader it can only share, to keep
// other applications out between its commands. While any handle holds a
// transaction on a reader, pcscd holds every SCardConnect on that reader
// until it ends, with no time limit, ours included: the card layer's own
// next connect would wait for itself for ever. So the card layer ends the
// transaction before it connects again.

#include "reader/card_service.h"
#include "reader/slot_ownership.h"

namespace kestrova {

// Remembers `card` as the handle that holds the transaction.
void HoldTransaction(CardService& service, SCARDHANDLE card);

// Ends the held transaction, if any, leaving the card as it is, and forgets
// it. The service's answer changes nothing: a handle whose card was pulled
// lost its transaction with the card, and one the service no longer knows
// holds none.
void EndHeldTransaction(CardService& service);

// For the life of a connect on the claim's reader: ends the held
// transaction (unless another reader's handle holds it, as a transaction
// holds up only its own reader), and at the end takes it again when the
// connect kept its handle, so no other application's commands reach the
// card between ours. Nothing is taken again when the handle is gone or
// another transaction is held.
class TransactionPause {
  public:
    TransactionPause(CardService& service, const ReaderClaim& claim);
    ~TransactionPause();
    TransactionPause(const TransactionPause&) = delete;
    TransactionPause& operator=(const TransactionPause&) = delete;

  private:
    CardService& service_;
    SCARDHANDLE endedOn_ = 0;
};

// Forgets the held transaction when `card` is its handle, which is being
// closed (and the transaction with it).
void ForgetHeldTransaction(CardService& service, SCARDHANDLE card);

}  // namespace kestrova
