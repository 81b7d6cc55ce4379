#include "reader/reader_registration.h"

#include <cstring>

#include "platform/pause.h"
#include "reader/card_service.h"
#include "reader/held_transaction.h"
#include "reader/result_codes.h"
#include "reader/service_binding.h"
#include "reader/service_context.h"
#include "reader/slot_ownership.h"

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

// The latest connection is forgotten with it unless it is another reader's.
void CloseWithReset(CardService& service, SCARDHANDLE card, const ReaderClaim& claim) {
    service.functions.disconnect(card, SCARD_RESET_CARD);
    ForgetClosedCard(service, card);
    platform::Pause(kTestConnectionPauseMs);
    if (!HeldByAnother(service, service.currentCard, claim)) {
        service.currentCard = 0;
    }
}

Registration RegisterReaderInContext(const char* name) {
    CardService& service = TheCardService();
    std::int32_t contextResult = EstablishCardContext();
    if (contextResult != kResultSuccess) {
        return Registration{0, contextResult};
    }
    // An empty name would match every slot by its prefix rule: it names none.
    if (name == nullptr || name[0] == '\0') {
        return Registration{0, kResultNoReaderName};
    }
    std::size_t nameLength = std::strlen(name);
    if (nameLength >= kReaderNameSize) {
        return Registration{0, kResultReaderNameTooLong};
    }

    std::int32_t registeredSlot = FindRegisteredSlot(service, name, nameLength);
    if (registeredSlot != 0) {
        return Registration{registeredSlot, kResultSuccess};
    }

    // The test connection goes to locals: the latest connection and its
    // protocol stay another reader's when they are.
    const ReaderClaim claim{nullptr, name, nameLength};
    const CardChoice choice = ChooseCard(service, claim);
    // pcscd would hold the test connection until our own transaction ends.
    const TransactionPause pause(service, claim);
    SCARDHANDLE testCard = 0;
    DWORD testProtocol = choice.latestIsOthers ? 0 : service.activeProtocol;
    std::int32_t result = NarrowResult(
        service.functions.connect(service.context, name, SCARD_SHARE_EXCLUSIVE,
                                  SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &testCard, &testProtocol));
    if (!choice.latestIsOthers) {
        service.currentCard = testCard;
        service.activeProtocol = testProtocol;
    }
    if (!CountsAsPresent(result)) {
        return Registration{0, result};
    }

    Registration registration{FindFreeSlot(service), kResultNoFreeSlot};
    if (registration.slot != 0) {
        ReaderSlot& slot = service.slots[static_cast<std::size_t>(registration.slot - 1)];
        ClearReaderName(slot);
        std::memcpy(slot.readerName.data(), name, nameLength);
        slot.registered = 1;
    }

    // The test connection is closed when it succeeded, else this reader's own
    // connection: a reader that is busy with our own connection is thus freed
    // for the connect to come. Another reader's connection is never touched.
    std::int32_t closedResult = result == kSharingViolation ? kResultSuccess : result;
    if (testCard != 0) {
        CloseWithReset(service, testCard, claim);
        closedResult = kResultSuccess;
    } else if (choice.card != 0) {
        CloseWithReset(service, choice.card, claim);
        closedResult = kResultSuccess;
    }
    if (registration.slot != 0) {
        registration.code = closedResult;
    }
    return registration;
}

}  // namespace

Registration RegisterReader(const char* name) {
    if (BindCardService() != kResultSuccess) {
        return Registration{0, kResultFailure};
    }
    Registration registration;
    WithContextRecovery([&registration, name] {
        registration = RegisterReaderInContext(name);
        return registration.code;
    });
    return registration;
}

}  // namespace kestrova
