#include "reader/service_context.h"

#include <cstring>

#include "reader/card_service.h"
#include "reader/result_codes.h"
#include "reader/service_binding.h"
#include "reader/slot_ownership.h"

namespace kestrova {
namespace {

void ForgetRegistrationsAndCards(CardService& service) {
    for (ReaderSlot& slot : service.slots) {
        slot.registered = 0;
        slot.card = 0;
    }
}

void ClearAllReaderNames(CardService& service) {
    for (ReaderSlot& slot : service.slots) {
        ClearReaderName(slot);
    }
}

bool HoldsAnotherReadersCard(const ReaderSlot& slot, const char* name) {
    return name != nullptr && name[0] != '\0' && slot.card != 0 && slot.readerName[0] != '\0' &&
           !SlotNameStartsWith(slot, name, std::strlen(name));
}

constexpr std::int32_t kInvalidHandle = static_cast<std::int32_t>(0x80100003U);
constexpr std::int32_t kCommunicationError = static_cast<std::int32_t>(0x80100013U);
constexpr std::int32_t kNoService = static_cast<std::int32_t>(0x8010001DU);
constexpr std::int32_t kServiceStopped = static_cast<std::int32_t>(0x8010001EU);

}  // namespace

std::int32_t EstablishCardContext() {
    CardService& service = TheCardService();
    if (service.contextOpen != 0) {
        return kResultSuccess;
    }
    service.context = 0;
    std::int32_t result = NarrowResult(
        service.functions.establishContext(SCARD_SCOPE_USER, nullptr, nullptr, &service.context));
    if (result != kResultSuccess) {
        service.context = 0;
        service.contextOpen = 0;
        return result;
    }
    service.contextOpen = 1;
    return kResultSuccess;
}

std::int32_t OpenCardContext(const char* name) {
    CardService& service = TheCardService();
    for (ReaderSlot& slot : service.slots) {
        if (!HoldsAnotherReadersCard(slot, name)) {
            ClearReaderName(slot);
        }
    }
    if (service.contextOpen == 0) {
        ForgetRegistrationsAndCards(service);
    }
    if (BindCardService() != kResultSuccess) {
        return kResultFailure;
    }
    return EstablishCardContext();
}

bool ForgetContextIfLost(std::int32_t result, ServiceCall call) {
    const bool serviceGone =
        result == kNoService || result == kServiceStopped || result == kCommunicationError;
    if (!serviceGone && !(call == ServiceCall::kOnContext && result == kInvalidHandle)) {
        return false;
    }
    CardService& service = TheCardService();
    // The client library keeps its side of the context, memory and the socket
    // to the service, until the context is released, even when the service
    // that made it is gone: each restart of the service would leave one.
    if (service.contextOpen != 0 && service.functions.releaseContext != nullptr) {
        (void)service.functions.releaseContext(service.context);
    }
    ForgetRegistrationsAndCards(service);
    service.currentCard = 0;
    service.transactionCard = 0;
    service.context = 0;
    service.contextOpen = 0;
    return true;
}

std::int32_t CloseCardService() {
    CardService& service = TheCardService();
    for (ReaderSlot& slot : service.slots) {
        slot.card = 0;
    }
    // Releasing the context closes its handles, and their transaction.
    service.transactionCard = 0;
    service.contextOpen = 0;
    if (BindCardService() != kResultSuccess) {
        return kResultFailure;
    }
    std::int32_t result = NarrowResult(service.functions.releaseContext(service.context));
    ClearAllReaderNames(service);
    UnbindCardService();
    return result;
}

}  // namespace kestrova
