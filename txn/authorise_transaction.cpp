#include "txn/authorise_transaction.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "card/card_commands.h"
#include "card/hex.h"
#include "card/reader_kind.h"
#include "platform/modal_dialog.h"
#include "platform/user_interface.h"
#include "reader/reader_operations.h"
#include "reader/result_codes.h"
#include "txn/confirm_rows.h"
#include "txn/snum_tac.h"
#include "txn/transaction_info.h"
#include "txn/transaction_pin.h"
#include "txn/transaction_texts.h"
#include "txn/txn_confirm_dlg.h"
#include "txn/write_record_with_snum_tac.h"

namespace kestrova {
namespace {

// Releasing and reopening a reader after a refused confirmation counts it as
// the second reader.
constexpr std::int32_t kReaderCountAfterCancel = 2;

// Twice the longest record, and a terminator.
using RecordText = std::array<char, 2 * kMaxTransactionRecordLength + 2>;

bool ShowsConfirmation(ReaderKind kind) {
    return kind == ReaderKind::Plain || kind == ReaderKind::PinPadC;
}

// A refused write that may succeed once the PIN is verified again: any
// failure on an ordinary reader; on the "Todos eCode Connectable" only the
// card's 66 10.
bool WorthVerifyingAgain(ReaderKind kind, std::int32_t writeResult) {
    constexpr std::int32_t kPinPadCRewriteStatus = 0x6610;
    return kind == ReaderKind::Plain ||
           (kind == ReaderKind::PinPadC && writeResult == kPinPadCRewriteStatus);
}

// The record as the page gave it: the first dataLength characters, which
// must all be there.
std::int32_t RecordOf(const TransactionRequest& request, std::string_view& record) {
    if (request.dataLength < 0 || request.dataLength > kMaxTransactionRecordLength) {
        return kResultWrongLength;
    }
    const auto length = static_cast<std::size_t>(request.dataLength);
    const char* data = request.data == nullptr ? "" : request.data;
    for (std::size_t at = 0; at < length; ++at) {
        if (data[at] == '\0') {
            return kResultWrongLength;  // the data ends before the record does
        }
    }
    record = std::string_view(data, length);
    return 0;
}

std::int32_t Write(std::int32_t slotNumber, const TransactionRequest& request,
                   std::string_view record, TransactionFields& fields) {
    RecordText text{};
    HexEncode(static_cast<std::int32_t>(record.size()),
              reinterpret_cast<const std::uint8_t*>(record.data()), text.data());
    return WriteRecordWithSnumTac(slotNumber, request.fileId,
                                  static_cast<std::int32_t>(record.size()), text.data(),
                                  fields.response);
}

// The write, and when the card refuses it in a way a fresh VERIFY may cure,
// one VERIFY and one more write. A card that refuses again is not asked a
// third time: its answer is the result.
std::int32_t WriteVerifyingAgainOnce(std::int32_t slotNumber, ReaderKind kind,
                                     const TransactionRequest& request, std::string_view record,
                                     TransactionFields& fields) {
    const std::int32_t result = Write(slotNumber, request, record, fields);
    if (result == 0 || !WorthVerifyingAgain(kind, result)) {
        return result;
    }
    const std::int32_t verified = VerifyBeforeRewrite(slotNumber, request.password);
    if (verified != 0) {
        return verified;
    }
    return Write(slotNumber, request, record, fields);
}

// The user did not confirm: nothing of the write's answer reaches the page,
// and the card, which may have been taken out, is reset and opened again.
std::int32_t CancelTransaction(const TransactionRequest& request, TransactionFields& fields,
                               platform::UserInterface& userInterface) {
    ClearResponse(fields.response);
    userInterface.ShowMessageBox(kTransactionCancelledText, kTransactionCancelledCaption,
                                 platform::MessageBoxIcon::Warning);
    ReleaseReader(request.readerName);
    std::int32_t slotNumber = 0;
    std::int32_t readerCount = kReaderCountAfterCancel;
    std::int32_t textLength = 0;
    AtrText atrText{};
    (void)OpenCard(request.readerName, slotNumber, readerCount, textLength, atrText);
    return kResultTransactionCancelled;
}

}  // namespace

std::int32_t AuthoriseTransaction(const TransactionRequest& request, std::int32_t slotNumber,
                                  TransactionFields& fields,
                                  platform::UserInterface& userInterface) {
    (void)SelectApplication(slotNumber);

    const std::int32_t kindValue = ClassifyReader(request.readerName);
    if (kindValue > static_cast<std::int32_t>(ReaderKind::PinPadC)) {
        return kResultNoReaderKind;
    }
    const auto kind = static_cast<ReaderKind>(kindValue);

    CTxnConfirmDlg window(userInterface);
    bool windowNeeded = false;

    // The record and what the window would show of it are checked before the
    // card sees a PIN or a write.
    std::string_view record;
    std::int32_t result = RecordOf(request, record);
    if (result != 0) {
        return result;
    }
    ConfirmationRows rows;
    if (ShowsConfirmation(kind)) {
        result = ConfirmRows(record, rows);
        if (result != 0) {
            return result;
        }
    }

    if (kind == ReaderKind::Plain) {
        result = VerifyBeforeWrite(slotNumber, request.password);
        if (result != 0) {
            return result;
        }
    }

    if (ShowsConfirmation(kind)) {
        for (auto& value : window.m_rowValue) {
            value.fill('\0');
        }
        window.m_slot = slotNumber;
        window.m_msg = request.message;
        if (rows.count > 0) {
            std::copy(rows.values.begin(), rows.values.end(), window.m_rowValue.begin());
            window.m_rowCount = rows.count;
            windowNeeded = true;
        }
    }

    result = WriteVerifyingAgainOnce(slotNumber, kind, request, record, fields);
    if (result != 0) {
        return result;
    }

    if (windowNeeded && window.DoModal() != platform::kDialogOk) {
        return CancelTransaction(request, fields, userInterface);
    }

    // The card may have been taken out and put back while the window was up.
    (void)SelectApplication(slotNumber);
    PublishSnumTac(fields.response.respData, fields.respSnum, fields.respTac);
    return ReadTransactionInfo(slotNumber, fields.issuer, fields.remark, fields.account);
}

std::int32_t AuthoriseTransactionInOwnSlot(const TransactionRequest& request,
                                           TransactionFields& fields,
                                           platform::UserInterface& userInterface) {
    std::int32_t slotNumber = 0;
    std::int32_t readerCount = 1;
    std::int32_t textLength = 0;
    AtrText atrText{};
    const std::int32_t opened =
        OpenCard(request.readerName, slotNumber, readerCount, textLength, atrText);
    if (opened != 0) {
        ReleaseReader(request.readerName);
        return opened;
    }
    return AuthoriseTransaction(request, slotNumber, fields, userInterface);
}

}  // namespace kestrova
