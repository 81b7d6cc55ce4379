#include "txn/transaction_pin.h"

#include "card/card_commands.h"
#include "card/pin_block.h"
#include "reader/result_codes.h"

namespace kestrova {
namespace {

// With no PIN given, the card is sent a block of FF.
constexpr char kNoPinText[] = "FFFFFFFFFFFFFFFF";

std::int32_t PackAndVerify(std::int32_t slotNumber, const char* text, std::size_t length) {
    PinBlock block;
    if (block.Pack(text, length) != 0) {
        return kResultPinNotPackable;
    }
    const std::int32_t result = VerifyPinBlock(slotNumber, block);
    block.Wipe();
    return result;
}

}  // namespace

std::int32_t VerifyBeforeWrite(std::int32_t slotNumber, const char* password) {
    const std::size_t length = PinTextLength(password);
    if (length == 0) {
        return 0;
    }
    if (!HasPinLength(length)) {
        return kResultPinLengthBeforeWrite;
    }
    return PackAndVerify(slotNumber, password, length);
}

std::int32_t VerifyBeforeRewrite(std::int32_t slotNumber, const char* password) {
    const std::size_t length = PinTextLength(password);
    if (length == 0) {
        return PackAndVerify(slotNumber, kNoPinText, sizeof kNoPinText - 1);
    }
    if (!HasPinLength(length)) {
        return kResultWrongLength;
    }
    if (!IsAllDigits(password, length)) {
        return kResultNotDigit;
    }
    return PackAndVerify(slotNumber, password, length);
}

}  // namespace kestrova
