#pragma once

// The transaction flow: the card writes a record and answers with SNUM and
// TAC; for the common transaction kinds the user confirms it in a modal
// window by taking the card out, putting it back and pressing OK. Only a
// confirmed (or unconfirmable) transaction publishes its results.

#include <cstdint>
#include <string>

#include "card/response_fields.h"

namespace kestrova {

namespace platform {
class UserInterface;
}

// The page's arguments, passed on as they arrived.
struct TransactionRequest {
    const char* readerName = nullptr;         // decides the reader's kind
    const char* readerName2ndList = nullptr;  // accepted, not used
    const char* fileId = nullptr;             // 4 hex characters
    std::int32_t dataLength = 0;              // record bytes: 0..159 of data
    const char* data = nullptr;               // the record, sent as it is
    const char* password = nullptr;           // may be absent or empty
    const char* message = nullptr;            // tagged texts of the window
};

// The control's fields the flow writes.
struct TransactionFields {
    ResponseFields response;  // the write's answer or failure
    std::string& respSnum;
    std::string& respTac;
    std::string& issuer;
    std::string& remark;
    std::string& account;
};

// The record travels as hex text in a 320-character buffer.
inline constexpr std::int32_t kMaxTransactionRecordLength = 159;

// Runs the flow on the card in `slotNumber`. Returns 0 when the record was
// written, confirmed (or needed no confirmation) and the card's information
// read; kResultTransactionCancelled when the window ended without OK (the
// write's answer is then withheld: response fields cleared, SNUM, TAC and
// texts untouched, the card reset); kResultNoReaderKind; kResultWrongLength
// for a record length outside 0..159 or beyond the data, or a record too
// short for the fields its window shows; a PIN code; or the failing card
// step's result.
std::int32_t AuthoriseTransaction(const TransactionRequest& request, std::int32_t slotNumber,
                                  TransactionFields& fields,
                                  platform::UserInterface& userInterface);

// The same on the card of the named reader, opened in a slot of its own
// (the control's current slot is not involved). A failed open releases the
// reader and returns the open's code.
std::int32_t AuthoriseTransactionInOwnSlot(const TransactionRequest& request,
                                           TransactionFields& fields,
                                           platform::UserInterface& userInterface);

}  // namespace kestrova
