#include "reader/raw_exchange.h"

#include <algorithm>

#include "reader/apdu_exchange.h"
#include "reader/card_service.h"
#include "reader/result_codes.h"
#include "reader/service_binding.h"

namespace kestrova {

std::int32_t TransmitRaw(std::int32_t slotNumber, std::int32_t commandLength,
                         const std::uint8_t* command, std::int32_t& responseDataLength,
                         std::uint8_t* response) {
    if (BindCardService() != kResultSuccess) {
        return kResultFailure;
    }
    const ReaderSlot* slot = SlotNumbered(slotNumber);
    if (slot == nullptr) {
        return kResultBadSlot;
    }
    if (commandLength < 0) {
        return kResultFailure;
    }
    DWORD receivedLength = kRawResponseSize;
    std::int32_t result = NarrowResult(TheCardService().functions.transmit(
        slot->card, SendPciOf(*slot), command, static_cast<DWORD>(commandLength), nullptr, response,
        &receivedLength));
    if (result != kResultSuccess) {
        return result;
    }
    std::size_t length = std::min<std::size_t>(receivedLength, kRawResponseSize);
    if (length < 2) {
        return kResultNoStatusWord;
    }
    if (length > 2) {
        responseDataLength = static_cast<std::int32_t>(length - 2);
    }
    return StatusWordResult(response[length - 2], response[length - 1]);
}

}  // namespace kestrova
