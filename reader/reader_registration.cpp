#include "reader/reader_registration.h"

#include <cstring>

#include "platform/pause.h"
#include "reader/card_service.h"
#include "reader/held_transaction.h"
#include "reader/result_codes.h"
#include "reader/service_binding.h"
#include "reader/service_context.h"

namespace kestrova {
namespace {

constexpr std::uint32_t kTestConnectionPauseMs = 100;

// The first registered slot whose name begins with `name`, or 0.
std::int32_t FindRegisteredSlot(const CardService& service, const char* name,
                                std::size_t nameLength) {
    for (std::int32_t number = 1; number <= kSlotCount; ++number) {
        const ReaderSlot& slot = service.slots[static_cast<std::size_t>(number - 1)];
        if (slot.registered == 1 && std::strncmp(slot.readerName.data(), name, nameLength) == 0) {
            return number;
        }
    }
    return 0;
}

// The first slot whose name is empty, or 0.
std::int32_t FindFreeSlot(const CardService& service) {
    for (std::int32_t number = 1; number <= kSlotCount; ++number) {
        if (service.slots[static_cast<std::size_t>(number - 1)].readerName[0] == '\0') {
            return number;
        }
    }
    return 0;
}

bool CountsAsPresent(std::int32_t result) {
    return result == kResultSuccess || result == kRemovedCard || result == kUnresponsiveCard ||
           result == kSharingViolation;
}

void CloseWithReset(CardService& service, SCARDHANDLE card) {
    if (service.functions.disconnect(card, SCARD_RESET_CARD) == SCARD_S_SUCCESS) {
        ForgetHeldTransaction(service, card);
    }
    platform::Pause(kTestConnectionPauseMs);
    service.currentCard = 0;
}

}  // namespace

bool IsRegisteredSlot(std::int32_t result, std::int32_t readerCount) {
    return result >= 1 && result <= readerCount;
}

std::int32_t RegisterReader(const char* name, std::int32_t& slotNumber) {
    if (BindCardService() != kResultSuccess) {
        return kResultFailure;
    }
    CardService& service = TheCardService();
    std::int32_t contextResult = EstablishCardContext();
    if (contextResult != kResultSuccess) {
        return contextResult;
    }
    if (name == nullptr) {
        return kResultNoReaderName;
    }
    std::size_t nameLength = std::strlen(name);
    if (nameLength >= kReaderNameSize) {
        return kResultReaderNameTooLong;
    }

    std::int32_t registeredSlot = FindRegisteredSlot(service, name, nameLength);
    if (registeredSlot != 0) {
        slotNumber = registeredSlot;
        return registeredSlot;
    }

    SCARDHANDLE previousCard = service.currentCard;
    // pcscd would hold the test connection until our own transaction ends.
    EndHeldTransaction(service);
    std::int32_t result = NarrowResult(service.functions.connect(
        service.context, name, SCARD_SHARE_EXCLUSIVE, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1,
        &service.currentCard, &service.activeProtocol));
    if (!CountsAsPresent(result)) {
        return result;
    }

    std::int32_t freeSlot = FindFreeSlot(service);
    if (freeSlot != 0) {
        ReaderSlot& slot = service.slots[static_cast<std::size_t>(freeSlot - 1)];
        ClearReaderName(slot);
        std::memcpy(slot.readerName.data(), name, nameLength);
        slot.registered = 1;
        slotNumber = freeSlot;
    }

    // Whichever connection is current is closed: the test connection when it
    // succeeded, else the one made before, whatever its reader. A reader that
    // is busy with our own connection is thus freed for the connect to come.
    std::int32_t closedResult = result == kSharingViolation ? kResultSuccess : result;
    if (service.currentCard != 0) {
        CloseWithReset(service, service.currentCard);
        closedResult = kResultSuccess;
    } else if (previousCard != 0) {
        CloseWithReset(service, previousCard);
        closedResult = kResultSuccess;
    }
    return freeSlot != 0 ? closedResult : kResultNoFreeSlot;
}

}  // namespace kestrova
