#include "reader/slot_connection.h"

#include <algorithm>
#include <cstring>

#include "platform/pause.h"
#include "reader/held_transaction.h"
#include "reader/result_codes.h"
#include "reader/service_binding.h"
#include "reader/service_context.h"
#include "reader/slot_ownership.h"

namespace kestrova {
namespace {

constexpr DWORD kBothProtocols = SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1;
constexpr std::uint32_t kReconnectLatestPauseMs = 150;
constexpr std::uint32_t kReconnectSlotPauseMs = 100;
constexpr std::uint32_t kDisconnectPauseMs = 200;

DWORD ShareModeFor(std::int32_t shareSelector) {
    switch (shareSelector) {
        case 1:
            return SCARD_SHARE_EXCLUSIVE;
        case 0:
            return SCARD_SHARE_DIRECT;
        default:
            return SCARD_SHARE_SHARED;
    }
}

DWORD DispositionFor(std::int32_t dispositionSelector) {
    switch (dispositionSelector) {
        case 0:
            return SCARD_EJECT_CARD;
        case 1:
            return SCARD_LEAVE_CARD;
        case 2:
            return SCARD_RESET_CARD;
        default:
            return SCARD_UNPOWER_CARD;
    }
}

// A reader that answered one of these still holds a card worth a handle.
bool HoldsCard(std::int32_t result) {
    return result == kResultSuccess || result == kSharingViolation || result == kRemovedCard ||
           result == kUnresponsiveCard;
}

std::int32_t Reconnect(CardService& service, SCARDHANDLE card, DWORD& protocol) {
    return NarrowResult(service.functions.reconnect(card, SCARD_SHARE_EXCLUSIVE, kBothProtocols,
                                                    SCARD_RESET_CARD, &protocol));
}

// The latest connection and its protocol become this connect's, unless they
// are another slot's and this connect made none.
void TakeLatest(CardService& service, bool latestIsAnotherSlots, SCARDHANDLE card, DWORD protocol) {
    if (card != 0 || !latestIsAnotherSlots) {
        service.currentCard = card;
        service.activeProtocol = protocol;
    }
}

}  // namespace

ReaderSlot* SlotOfOpenContext(std::int32_t slotNumber, std::int32_t& refused) {
    if (BindCardService() != kResultSuccess) {
        refused = kResultFailure;
        return nullptr;
    }
    ReaderSlot* slot = SlotNumbered(slotNumber);
    if (slot == nullptr) {
        refused = kResultBadSlot;
        return nullptr;
    }
    if (TheCardService().contextOpen == 0) {
        refused = kResultContextNotOpen;
        return nullptr;
    }
    return slot;
}

std::int32_t QuerySlotStatus(SCARDHANDLE card, ReaderSlot& slot, std::int32_t& atrLength,
                             AtrBuffer& atr) {
    CardService& service = TheCardService();
    DWORD nameLength = static_cast<DWORD>(slot.readerName.size());
    DWORD state = 0;
    DWORD protocol = 0;
    AtrBuffer received{};
    DWORD receivedLength = static_cast<DWORD>(received.size());
    std::int32_t result =
        NarrowResult(service.functions.status(card, slot.readerName.data(), &nameLength, &state,
                                              &protocol, received.data(), &receivedLength));
    // Whatever the service wrote, the name stays terminated within its slot.
    slot.readerName.back() = '\0';
    ForgetContextIfLost(result, ServiceCall::kOnCard);
    if (result != kResultSuccess) {
        return result;
    }
    std::size_t length = std::min<std::size_t>(receivedLength, received.size());
    std::memcpy(atr.data(), received.data(), length);
    atrLength = static_cast<std::int32_t>(length);
    return kResultSuccess;
}

std::int32_t QueryCurrentStatus(ReaderSlot& slot, std::int32_t& atrLength, AtrBuffer& atr,
                                std::int32_t withoutConnection) {
    CardService& service = TheCardService();
    const CardChoice choice = ChooseCard(service, ReaderClaim{&slot});
    if (choice.isLatest) {
        MarkSendPci(slot, service.activeProtocol);
        const std::int32_t result = QuerySlotStatus(choice.card, slot, atrLength, atr);
        if (result == kResultSuccess) {
            slot.card = choice.card;
        }
        return result;
    }
    if (choice.card != 0) {
        return QuerySlotStatus(choice.card, slot, atrLength, atr);
    }
    return withoutConnection;
}

std::int32_t ConnectSlot(std::int32_t slotNumber, std::int32_t shareSelector,
                         std::int32_t& atrLength, AtrBuffer& atr) {
    std::int32_t refused = kResultSuccess;
    ReaderSlot* slot = SlotOfOpenContext(slotNumber, refused);
    if (slot == nullptr) {
        return refused;
    }
    CardService& service = TheCardService();
    // Another slot's connection is neither reconnected here nor taken over.
    const CardChoice choice = ChooseCard(service, ReaderClaim{slot});
    SCARDHANDLE latest = 0;
    DWORD protocol = choice.latestIsOthers ? 0 : service.activeProtocol;
    std::int32_t result = kResultSuccess;
    {
        // pcscd would hold this connect until our own transaction on the reader ends.
        const TransactionPause pause(service, ReaderClaim{slot});
        result = NarrowResult(service.functions.connect(service.context, slot->readerName.data(),
                                                        ShareModeFor(shareSelector), kBothProtocols,
                                                        &latest, &protocol));
        if (ForgetContextIfLost(result, ServiceCall::kOnContext)) {
            return result;
        }
        if (!HoldsCard(result) && choice.card != 0) {
            platform::Pause(choice.isLatest ? kReconnectLatestPauseMs : kReconnectSlotPauseMs);
            result = Reconnect(service, choice.card, protocol);
            if (result == kResultSuccess && choice.isLatest) {
                latest = choice.card;
            }
        }
        TakeLatest(service, choice.latestIsOthers, latest, protocol);

        if (HoldsCard(result)) {
            if (latest != 0) {
                slot->card = latest;
            } else if (choice.isLatest) {
                slot->card = choice.card;
            } else if (result == kSharingViolation && slot->card == 0) {
                // Busy, but not with a connection of ours: share it, and keep
                // others out until the card layer connects again or closes the
                // handle. A slot that shares the reader already goes on with its
                // own handle rather than opening (and losing) another.
                EndHeldTransaction(service);
                result = NarrowResult(service.functions.connect(
                    service.context, slot->readerName.data(), SCARD_SHARE_SHARED, kBothProtocols,
                    &latest, &protocol));
                TakeLatest(service, choice.latestIsOthers, latest, protocol);
                if (result == kResultSuccess) {
                    slot->card = latest;
                }
                if (NarrowResult(service.functions.beginTransaction(latest)) == kResultSuccess) {
                    HoldTransaction(service, latest);
                }
            }
        }
    }

    if (result != kResultSuccess && result != kSharingViolation) {
        return result;
    }
    if (latest != 0 || !choice.latestIsOthers) {
        MarkSendPci(*slot, service.activeProtocol);
    }
    SCARDHANDLE card = latest != 0 ? latest : slot->card;
    if (card == 0) {
        return result;
    }
    return QuerySlotStatus(card, *slot, atrLength, atr);
}

std::int32_t RefreshSlot(std::int32_t slotNumber, std::int32_t& atrLength, AtrBuffer& atr) {
    std::int32_t refused = kResultSuccess;
    ReaderSlot* slot = SlotOfOpenContext(slotNumber, refused);
    if (slot == nullptr) {
        return refused;
    }
    return QueryCurrentStatus(*slot, atrLength, atr, kResultSuccess);
}

std::int32_t DisconnectSlot(std::int32_t slotNumber, std::int32_t dispositionSelector) {
    ReaderSlot* slot = SlotNumbered(slotNumber);
    if (slot == nullptr) {
        return kResultBadSlot;
    }
    if (BindCardService() != kResultSuccess) {
        return kResultFailure;
    }
    CardService& service = TheCardService();
    std::int32_t result = kResultSuccess;
    const bool latestIsAnotherSlots = ChooseCard(service, ReaderClaim{slot}).latestIsOthers;
    if (slot->card != 0) {
        result = NarrowResult(
            service.functions.disconnect(slot->card, DispositionFor(dispositionSelector)));
        ForgetClosedCard(service, slot->card);
    }
    slot->registered = 0;
    ClearReaderName(*slot);
    slot->card = 0;
    if (!latestIsAnotherSlots) {
        service.currentCard = 0;
    }
    platform::Pause(kDisconnectPauseMs);
    return result;
}

}  // namespace kestrova
