#include "card/card_commands.h"
#include "card/card_result_codes.h"
#include "card/pin_block.h"
#include "card/pin_operations.h"
#include "card/reader_kind.h"

namespace kestrova {
namespace {

// With no PIN given, the card is sent a block of FF.
constexpr char kNoPinText[] = "FFFFFFFFFFFFFFFF";

constexpr std::uint8_t kProprietaryClass = 0x80;
constexpr std::uint8_t kVerify = 0x20;
constexpr std::uint8_t kApplicationPin = 0x10;

// The PIN pad reader collects the PIN itself when VERIFY carries none.
std::int32_t VerifyOnPinPad(std::int32_t slotNumber) {
    ResponseBuffer scratch{};
    return TransmitApdu(slotNumber, kProprietaryClass, kVerify, 0x00, kApplicationPin, 0, nullptr,
                        nullptr, scratch.data());
}

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
        return VerifyOnPinPad(slotNumber);
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
