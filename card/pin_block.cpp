#include "card/pin_block.h"

#include <cstring>

#include "card/hex.h"
#include "platform/secure_wipe.h"
#include "reader/result_codes.h"

namespace kestrova {

PinBlock::PinBlock() {
    bytes_.fill(0xFF);
}

PinBlock::~PinBlock() {
    Wipe();
}

std::int32_t PinBlock::Pack(const char* text, std::size_t length) {
    bytes_.fill(0xFF);
    if (length > 2 * kPinBlockSize) {
        return kResultWrongLength;
    }
    if (HexDecode(static_cast<std::int32_t>(length), text, bytes_.data()) != 0) {
        return kResultNotDigit;
    }
    return 0;
}

void PinBlock::Wipe() {
    platform::WipeBuffer(bytes_);
}

std::size_t PinTextLength(const char* pin) {
    return pin == nullptr ? 0 : std::strlen(pin);
}

bool HasPinLength(std::size_t length) {
    return length >= kMinPinLength && length <= kMaxPinLength;
}

bool IsAllDigits(const char* pin, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        if (pin[i] < '0' || pin[i] > '9') {
            return false;
        }
    }
    return true;
}

}  // namespace kestrova
