#include "card/card_commands.h"
#include "card/pin_block.h"
#include "card/pin_operations.h"
#include "card/reader_kind.h"
#include "reader/result_codes.h"

namespace kestrova {
namespace {

// With no PIN given, the card is sent a block of FF.
constexpr char kNoPinText[] = "FFFFFFFFFFFFFFFF";

}  // namespace

std::int32_t VerifyPin(const char* readerName, const char* /*readerList*/, std::int32_t slotNumber,
                       const char* pin) {
    const std::int32_t kind = ClassifyReader(readerName);
    if (kind > kLargestReaderKind) {
        return kResultNoReaderKind;
    }
    const std::size_t pinLength = PinTextLength(pin);
    const bool pinGiven = pinLength != 0;
    if (pinGiven && !HasPinLength(pinLength)) {
        return kResultWrongLength;
    }
    if (pinGiven && !IsAllDigits(pin, pinLength)) {
        return kResultNotDigit;
    }
    const bool pinPadCollectsPin =
        !pinGiven && kind == static_cast<std::int32_t>(ReaderKind::PinPadB);

    if (SelectApplication(slotNumber) != 0) {
        return kResultSelectApplicationFailed;
    }
    if (pinPadCollectsPin) {
        std::int32_t length = 0;
        ResponseBuffer scratch{};
        return SendCommand(slotNumber, VerifyOnPinPadCommand(), length, scratch);
    }
    PinBlock block;
    const std::int32_t packed =
        pinGiven ? block.Pack(pin, pinLength) : block.Pack(kNoPinText, sizeof kNoPinText - 1);
    if (packed != 0) {
        return kResultNotDigit;
    }
    const std::int32_t result = VerifyPinBlock(slotNumber, block);
    block.Wipe();
    return result;
}

}  // namespace kestrova
