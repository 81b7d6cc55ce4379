#include <array>

#include "card/card_commands.h"
#include "card/financial_aid.h"
#include "card/pin_block.h"
#include "card/pin_operations.h"
#include "card/reader_kind.h"
#include "reader/reader_operations.h"
#include "reader/result_codes.h"

namespace kestrova {
namespace {

constexpr FileIdentifier kPinFile{0x00, 0xC2};
constexpr std::uint8_t kNewPinRecord = 1;

// Connects the named reader's card as a page's connect does; a reader that
// cannot be connected is released again. Returns 0 with the slot set, or the
// connect's failure.
std::int32_t ConnectCardForChange(const char* readerName, std::int32_t& slotNumber) {
    std::int32_t readerCount = 0;
    std::int32_t textLength = 0;
    AtrText atrText{};
    const std::int32_t result = OpenCard(readerName, slotNumber, readerCount, textLength, atrText);
    if (result != 0) {
        ReleaseReader(readerName);
    }
    return result;
}

std::int32_t ChangeTypedPin(const char* readerName, const char* oldPin, const char* newPin) {
    if (readerName == nullptr || oldPin == nullptr || newPin == nullptr) {
        return kResultPinChangeArgumentMissing;
    }
    std::int32_t slotNumber = 0;
    const std::int32_t connected = ConnectCardForChange(readerName, slotNumber);
    if (connected != 0) {
        return connected;
    }
    const std::size_t oldLength = PinTextLength(oldPin);
    const std::size_t newLength = PinTextLength(newPin);
    if (!HasPinLength(oldLength) || !HasPinLength(newLength)) {
        return kResultWrongLength;
    }
    if (!IsAllDigits(oldPin, oldLength)) {
        return kResultOldPinNotDigit;
    }
    if (!IsAllDigits(newPin, newLength)) {
        return kResultNotDigit;
    }
    if (SelectApplication(slotNumber) != 0) {
        return kResultSelectApplicationFailed;
    }
    {
        PinBlock oldBlock;
        if (oldBlock.Pack(oldPin, oldLength) != 0) {
            return kResultNotDigit;
        }
        const std::int32_t verified = VerifyPinBlock(slotNumber, oldBlock);
        oldBlock.Wipe();
        if (verified != 0) {
            return verified;
        }
    }
    std::int32_t responseLength = 0;
    ResponseBuffer response{};
    if (SelectFile(slotNumber, kPinFile, responseLength, response, 0) != 0) {
        return kResultSelectFileFailed;
    }
    PinBlock newBlock;
    if (newBlock.Pack(newPin, newLength) != 0) {
        return kResultNotDigit;
    }
    const std::int32_t written =
        WriteRecord(slotNumber, kNewPinRecord, static_cast<std::int32_t>(newBlock.Bytes().size()),
                    newBlock.Bytes().data());
    newBlock.Wipe();
    return written != 0 ? kResultWritePinFailed : 0;
}

std::int32_t ChangePinOnKeypad(const char* readerName, const char* cardSerialNo) {
    if (readerName == nullptr || cardSerialNo == nullptr) {
        return kResultNoText;
    }
    std::int32_t slotNumber = 0;
    const std::int32_t connected = ConnectCardForChange(readerName, slotNumber);
    if (connected != 0) {
        return connected;
    }
    std::int32_t responseLength = 0;
    ResponseBuffer response{};
    if (SelectByName(slotNumber, static_cast<std::int32_t>(FinancialAid.size()),
                     FinancialAid.data(), responseLength, response) != 0) {
        return kResultSelectFileFailed;
    }
    const std::int32_t selected = SelectFile(slotNumber, kPinFile, responseLength, response, 0);
    if (selected != 0) {
        return selected;
    }
    return SendCommand(slotNumber, VerifyOnKeypadForChangeCommand(), responseLength, response);
}

bool UsesKeypadForChange(std::int32_t kind) {
    return kind == static_cast<std::int32_t>(ReaderKind::PinPadA) ||
           kind == static_cast<std::int32_t>(ReaderKind::PinPadC);
}

}  // namespace

std::int32_t ChangePin(const char* readerName, const char* /*readerList*/, const char* oldPin,
                       const char* newPin, const char* cardSerialNo, std::int32_t /*verifyFlag*/) {
    const std::int32_t kind = ClassifyReader(readerName);
    if (kind > kLargestReaderKind) {
        return kResultNoReaderKind;
    }
    return UsesKeypadForChange(kind) ? ChangePinOnKeypad(readerName, cardSerialNo)
                                     : ChangeTypedPin(readerName, oldPin, newPin);
}

}  // namespace kestrova
