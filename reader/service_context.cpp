#include "reader/service_context.h"

#include "reader/card_service.h"
#include "reader/result_codes.h"
#include "reader/service_binding.h"

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

std::int32_t OpenCardContext() {
    CardService& service = TheCardService();
    ClearAllReaderNames(service);
    if (service.contextOpen == 0) {
        ForgetRegistrationsAndCards(service);
    }
    if (BindCardService() != kResultSuccess) {
        return kResultFailure;
    }
    return EstablishCardContext();
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
