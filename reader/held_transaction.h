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

// Forgets the held transaction when `card` is its handle, which is being
// closed (and the transaction with it).
void ForgetHeldTransaction(CardService& service, SCARDHANDLE card);

}  // namespace kestrova
