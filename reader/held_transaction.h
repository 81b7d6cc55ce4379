#pragma once

// The transaction ConnectSlot begins on a reader it can only share, to keep
// other applications out between its commands. While any handle holds a
// transaction on a reader, pcscd holds every SCardConnect on that reader
// until it ends, with no time limit, ours included: the card layer's own
// next connect would wait for itself for ever. So the card layer ends the
// transaction before it connects again.

#include "reader/card_service.h"

namespace kestrova {

// Remembers `card` as the handle that holds the transaction.
void HoldTransaction(CardService& service, SCARDHANDLE card);

// Ends the held transaction, if any, leaving the card as it is, and forgets
// it. The service's answer changes nothing: a handle whose card was pulled
// lost its transaction with the card, and one the service no longer knows
// holds none.
void EndHeldTransaction(CardService& service);

// Ends the held transaction before a connect on a reader, unless another
// reader's handle holds it (a transaction holds up only its own reader).
// Returns the handle whose transaction was ended, or 0.
SCARDHANDLE EndHeldTransactionBeforeConnect(CardService& service, bool heldByAnotherReader);

// Takes the transaction ended before a connect again when the connect kept
// its handle, so no other application's commands reach the card between
// ours. Nothing happens when the handle is gone or another is held.
void ResumeHeldTransaction(CardService& service, SCARDHANDLE endedOn);

// Forgets the held transaction when `card` is its handle, which is being
// closed (and the transaction with it).
void ForgetHeldTransaction(CardService& service, SCARDHANDLE card);

}  // namespace kestrova
