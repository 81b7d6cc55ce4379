#include "reader/reader_operations.h"

#include <cctype>
#include <cstring>

#include "reader/reader_registration.h"
#include "reader/result_codes.h"
#include "reader/service_context.h"
#include "reader/slot_connection.h"

namespace kestrova {
namespace {

// These readers, in every model, may refuse the first connect after a test
// connection and accept the next.
bool IsTodosConnectable(const char* name) {
    constexpr char kModel[] = "Todos eCode Connectable";
    constexpr std::size_t kModelLength = sizeof kModel - 1;
    for (std::size_t i = 0; i < kModelLength; ++i) {
        if (name[i] == '\0' || std::tolower(static_cast<unsigned char>(name[i])) !=
                                   std::tolower(static_cast<unsigned char>(kModel[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

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
    if (result != kResultSuccess && name != nullptr && IsTodosConnectable(name)) {
        result = ConnectSlot(slotNumber, kShareExclusive, atrLength, atr);
    }
    if (result != kResultSuccess) {
        return result;
    }
    textLength = WriteAtrText(atr, atrLength, atrText);
    return kResultSuccess;
}

}  // namespace kestrova
