#include "reader/reader_attributes.h"

#include <algorithm>
#include <cstring>

#include "reader/card_service.h"
#include "reader/reader_registration.h"
#include "reader/result_codes.h"
#include "reader/service_binding.h"

namespace kestrova {
namespace {

constexpr std::int32_t kFirmwareVersionIndex = 2;

// The service's attribute identifiers for indexes 0..4.
constexpr std::array<DWORD, kAttributeIndexCount> kAttributeIds{
    0x00010100,  // SCARD_ATTR_VENDOR_NAME
    0x00010101,  // SCARD_ATTR_VENDOR_IFD_TYPE
    0x00010102,  // SCARD_ATTR_VENDOR_IFD_VERSION
    0x00010103,  // SCARD_ATTR_VENDOR_IFD_SERIAL_NO
    0x7FFF0004,  // SCARD_ATTR_DEVICE_SYSTEM_NAME_A
};

bool IsAttributeIndex(std::int32_t index) {
    return index >= 0 && index < kAttributeIndexCount;
}

DWORD AttributeIdFor(std::int32_t index) {
    return IsAttributeIndex(index) ? kAttributeIds[static_cast<std::size_t>(index)]
                                   : static_cast<DWORD>(static_cast<std::uint32_t>(index));
}

// 0xMMmmbbbb, stored little-endian, as "MM.mm.bbbb" in lowercase hex.
std::int32_t WriteVersionText(const AttributeBuffer& value, AttributeBuffer& text) {
    constexpr char kDigits[] = "0123456789abcdef";
    std::array<char, 8> digits{};
    for (std::size_t i = 0; i < 4; ++i) {
        // Most significant byte first: value[3] gives the first two digits.
        const std::uint8_t byte = value[3 - i];
        digits[2 * i] = kDigits[byte >> 4];
        digits[2 * i + 1] = kDigits[byte & 0x0F];
    }
    const std::array<char, 10> formatted{digits[0], digits[1], '.',       digits[2], digits[3],
                                         '.',       digits[4], digits[5], digits[6], digits[7]};
    std::memcpy(text.data(), formatted.data(), formatted.size());
    return static_cast<std::int32_t>(formatted.size());
}

}  // namespace

std::int32_t QueryReaderAttribute(const char* name, std::int32_t& currentSlot, std::int32_t index,
                                  std::int32_t& length, AttributeBuffer& bytes) {
    if (!IsAttributeIndex(index)) {
        return kResultBadAttributeIndex;
    }
    const Registration registration = RegisterReader(name);
    const std::int32_t slotNumber = registration.slot != 0 ? registration.slot : currentSlot;
    // The page's connected card stays its current one when another reader
    // is asked about.
    const ReaderSlot* pageSlot = SlotNumbered(currentSlot);
    if (pageSlot == nullptr || pageSlot->card == 0) {
        currentSlot = slotNumber;
    }
    if (registration.code != kResultSuccess) {
        return registration.code;
    }
    return ReadReaderAttribute(slotNumber, index, length, bytes);
}

std::int32_t ReadReaderAttribute(std::int32_t slotNumber, std::int32_t index, std::int32_t& length,
                                 AttributeBuffer& bytes) {
    const ReaderSlot* slot = SlotNumbered(slotNumber);
    if (slot == nullptr) {
        return kResultBadSlot;
    }
    CardService& service = TheCardService();
    if (service.contextOpen == 0) {
        return kResultContextNotOpen;
    }
    if (BindCardService() != kResultSuccess) {
        return kResultFailure;
    }
    AttributeBuffer value{};
    DWORD valueLength = static_cast<DWORD>(value.size());
    std::int32_t result = NarrowResult(
        service.functions.getAttrib(slot->card, AttributeIdFor(index), value.data(), &valueLength));
    if (result != kResultSuccess) {
        return result;
    }
    if (index == kFirmwareVersionIndex) {
        length = WriteVersionText(value, bytes);
        return kResultSuccess;
    }
    std::size_t delivered = std::min<std::size_t>(valueLength, value.size());
    std::memcpy(bytes.data(), value.data(), delivered);
    length = static_cast<std::int32_t>(delivered);
    return kResultSuccess;
}

}  // namespace kestrova
