#include "reader/reader_operations.h"

#include "reader/reader_model.h"
#include "reader/reader_registration.h"
#include "reader/result_codes.h"
#include "reader/service_context.h"
#include "reader/slot_connection.h"

namespace kestrova {

std::int32_t OpenReader(const char* name, std::int32_t& slotNumber, std::int32_t& readerCount) {
    if (OpenCardContext(name) != kResultSuccess) {
        return kResultOpenReaderFailed;
    }
    const Registration registration = RegisterReader(name);
    if (registration.slot != 0) {
        slotNumber = registration.slot;
    }
    if (registration.code != kResultSuccess) {
        return registration.code;
    }
    if (readerCount == 0) {
        readerCount = 1;
    }
    return kResultSuccess;
}

std::int32_t ReleaseReader(const char* name) {
    const Registration registration = RegisterReader(name);
    if (registration.code == kResultSuccess) {
        DisconnectSlot(registration.slot, kDispositionReset);
    }
    return kResultSuccess;
}

std::int32_t OpenCard(const char* name, std::int32_t& slotNumber, std::int32_t& readerCount,
                      std::int32_t& textLength, AtrText& atrText) {
    slotNumber = 0;
    std::int32_t result = OpenReader(name, slotNumber, readerCount);
    if (result != kResultSuccess) {
        ReleaseReader(name);
        result = OpenReader(name, slotNumber, readerCount);
        if (result != kResultSuccess) {
            return result;
        }
    }
    std::int32_t atrLength = 0;
    AtrBuffer atr{};
    result = ConnectSlot(slotNumber, kShareExclusive, atrLength, atr);
    const ReaderModel* model = FindReaderModel(name);
    if (result != kResultSuccess && model != nullptr && model->mayRefuseFirstConnect) {
        result = ConnectSlot(slotNumber, kShareExclusive, atrLength, atr);
    }
    if (result != kResultSuccess) {
        return result;
    }
    textLength = WriteAtrText(atr, atrLength, atrText);
    return kResultSuccess;
}

}  // namespace kestrova
