#pragma once

// Which connection a reader call may use. The rule, once:
// 1. Every slot owns the card handle it keeps; no call touches another's.
// 2. The service's latest connection (`currentCard`) is the caller's own
//    unless a slot of another reader holds it; then it and its protocol stay.
// 3. Else a slot uses its own handle; a reader being registered, only when
//    the latest is another's, the handle of a slot cleared or named for it.
// ChooseCard answers it; the transaction around a connect (held_transaction.h)
// and the forgetting of a closed or lost handle follow the same answer.

#include <cstddef>

#include "reader/card_service.h"

namespace kestrova {

// Who asks: a registered slot, or a reader name being registered (a slot
// whose name was cleared for this very open, or begins with the name, is
// that reader's).
struct ReaderClaim {
    const ReaderSlot* slot = nullptr;
    const char* name = nullptr;
    std::size_t length = 0;
};

// The answer: the handle the caller may use, whether it is the latest
// connection, and whether the latest belongs to another reader.
struct CardChoice {
    SCARDHANDLE card = 0;
    bool isLatest = false;
    bool latestIsOthers = false;
};

CardChoice ChooseCard(const CardService& service, const ReaderClaim& claim);

// True when `card` is not 0 and a slot of a reader other than the claim's holds it.
bool HeldByAnother(const CardService& service, SCARDHANDLE card, const ReaderClaim& claim);

// True when the slot's name begins with the `length` characters of `name`
// (the name lookup's own rule).
bool SlotNameStartsWith(const ReaderSlot& slot, const char* name, std::size_t length);

// A handle that was disconnected is forgotten wherever it was kept: in every
// slot, as the latest connection, and as the holder of a transaction.
void ForgetClosedCard(CardService& service, SCARDHANDLE card);

}  // namespace kestrova
