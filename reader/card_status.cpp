#include "reader/card_status.h"

#include "reader/atr_text.h"
#include "reader/reader_operations.h"
#include "reader/result_codes.h"
#include "reader/service_binding.h"
#include "reader/slot_connection.h"

namespace kestrova {

std::int32_t CheckCardPresent(const char* name) {
    std::int32_t slotNumber = 0;
    std::int32_t readerCount = 1;
    std::int32_t textLength = 0;
    AtrText text{};
    std::int32_t result = OpenCard(name, slotNumber, readerCount, textLength, text);
    if (result != kResultSuccess) {
        return result;
    }
    std::int32_t atrLength = 0;
    AtrBuffer atr{};
    return ReadCardStatus(atrLength, atr, slotNumber);
}

std::int32_t ReadCardStatus(std::int32_t& atrLength, AtrBuffer& atr, std::int32_t slotNumber) {
    ReaderSlot* slot = SlotNumbered(slotNumber);
    if (slot == nullptr) {
        return kResultBadSlot;
    }
    if (BindCardService() != kResultSuccess) {
        return kResultFailure;
    }
    if (TheCardService().contextOpen == 0) {
        return kResultContextNotOpen;
    }
    return QueryCurrentStatus(*slot, atrLength, atr, kResultNoConnection);
}

}  // namespace kestrova
