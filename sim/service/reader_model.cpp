#include "sim/service/reader_model.h"

#include <algorithm>

namespace kestrova::sim_service {

void PowerUp(VirtualReader& reader) {
    reader.atr = reader.card->Atr();
    reader.cardProtocol = static_cast<DWORD>(reader.card->CardProtocol());
    reader.activeProtocol = SCARD_PROTOCOL_UNDEFINED;
    reader.powered = true;
    reader.card->Reset();
}

bool ResetCard(ServiceState& state, VirtualReader& reader) {
    MarkHandles(state, reader, CardEvent::kReset);
    reader.activeProtocol = SCARD_PROTOCOL_UNDEFINED;
    if (!reader.cardPresent) {
        return false;
    }
    PowerUp(reader);
    return true;
}

void PowerDownCard(ServiceState& state, VirtualReader& reader) {
    MarkHandles(state, reader, CardEvent::kReset);
    reader.activeProtocol = SCARD_PROTOCOL_UNDEFINED;
    reader.powered = false;
}

void TakeCardOut(ServiceState& state, VirtualReader& reader) {
    reader.cardPresent = false;
    reader.powered = false;
    reader.atr.clear();
    reader.activeProtocol = SCARD_PROTOCOL_UNDEFINED;
    ++reader.eventCounter;
    MarkHandles(state, reader, CardEvent::kRemoved);
    // A transaction ends with the card; an exclusive connection keeps the
    // reader until it is disconnected.
    reader.lockHolder = 0;
    reader.lockCount = 0;
}

void PutCardIn(VirtualReader& reader) {
    reader.cardPresent = true;
    ++reader.eventCounter;
    PowerUp(reader);
}

LONG LocateConnection(ServiceState& state, SCARDHANDLE handle, Connection*& connection,
                      VirtualReader*& reader) {
    const auto found = state.connections.find(handle);
    if (found == state.connections.end()) {
        return SCARD_E_INVALID_HANDLE;
    }
    connection = &found->second;
    reader = FindReader(state, connection->readerId);
    return reader == nullptr ? SCARD_E_INVALID_VALUE : SCARD_S_SUCCESS;
}

bool IsDisposition(DWORD disposition) {
    return disposition == SCARD_LEAVE_CARD || disposition == SCARD_RESET_CARD ||
           disposition == SCARD_UNPOWER_CARD || disposition == SCARD_EJECT_CARD;
}

void CloseConnection(ServiceState& state, SCARDHANDLE handle, DWORD disposition) {
    const auto connection = state.connections.find(handle);
    if (connection == state.connections.end()) {
        return;
    }
    VirtualReader* reader = FindReader(state, connection->second.readerId);
    if (reader != nullptr) {
        UnlockAllSharing(*reader, handle);
        if (disposition == SCARD_RESET_CARD) {
            ResetCard(state, *reader);
        } else if (disposition == SCARD_UNPOWER_CARD) {
            PowerDownCard(state, *reader);
        }
        // SCARD_EJECT_CARD: these readers have no eject mechanism; the card
        // stays where it is, as with SCARD_LEAVE_CARD.
        reader->sharing = reader->sharing == kExclusive ? 0 : std::max(0, reader->sharing - 1);
    }
    state.connections.erase(connection);
}

void MarkHandles(ServiceState& state, const VirtualReader& reader, CardEvent event) {
    for (auto& [handle, connection] : state.connections) {
        if (connection.readerId == reader.id) {
            connection.event = event;
        }
    }
}

LONG EventResult(const Connection& connection) {
    switch (connection.event) {
        case CardEvent::kRemoved:
            return SCARD_W_REMOVED_CARD;
        case CardEvent::kReset:
            return SCARD_W_RESET_CARD;
        case CardEvent::kNone:
            break;
    }
    return SCARD_S_SUCCESS;
}

LONG CheckSharing(const VirtualReader& reader, SCARDHANDLE handle) {
    if (reader.lockHolder == 0 || reader.lockHolder == handle) {
        return SCARD_S_SUCCESS;
    }
    return SCARD_E_SHARING_VIOLATION;
}

LONG CheckCardUse(const VirtualReader& reader, const Connection& connection, SCARDHANDLE handle) {
    const LONG sharing = CheckSharing(reader, handle);
    return sharing != SCARD_S_SUCCESS ? sharing : EventResult(connection);
}

LONG LockSharing(VirtualReader& reader, SCARDHANDLE handle) {
    const LONG result = CheckSharing(reader, handle);
    if (result == SCARD_S_SUCCESS) {
        ++reader.lockCount;
        reader.lockHolder = handle;
    }
    return result;
}

LONG UnlockSharing(VirtualReader& reader, SCARDHANDLE handle) {
    const LONG result = CheckSharing(reader, handle);
    if (result != SCARD_S_SUCCESS) {
        return result;
    }
    // An exclusive connection holds one lock of its own, which only its
    // disconnect gives back.
    const int ownLocks = reader.sharing == kExclusive ? 1 : 0;
    if (reader.lockCount <= ownLocks) {
        return SCARD_E_NOT_TRANSACTED;
    }
    if (--reader.lockCount == 0) {
        reader.lockHolder = 0;
    }
    return SCARD_S_SUCCESS;
}

void UnlockAllSharing(VirtualReader& reader, SCARDHANDLE handle) {
    if (reader.lockHolder == handle) {
        reader.lockHolder = 0;
        reader.lockCount = 0;
    }
}

LONG NegotiateProtocol(VirtualReader& reader, DWORD preferredProtocols) {
    if ((preferredProtocols & SCARD_PROTOCOL_RAW) != 0) {
        reader.activeProtocol = SCARD_PROTOCOL_RAW;
        return SCARD_S_SUCCESS;
    }
    if (reader.activeProtocol == SCARD_PROTOCOL_UNDEFINED) {
        if ((preferredProtocols & kProtocolAnyOld) != 0) {
            preferredProtocols = SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1;
        }
        if ((preferredProtocols & reader.cardProtocol) == 0) {
            return SCARD_E_PROTO_MISMATCH;
        }
        reader.activeProtocol = reader.cardProtocol;
        return SCARD_S_SUCCESS;
    }
    if ((preferredProtocols & reader.activeProtocol) == 0) {
        return SCARD_E_PROTO_MISMATCH;
    }
    return SCARD_S_SUCCESS;
}

DWORD ReaderStateWord(const VirtualReader& reader) {
    DWORD bits = SCARD_ABSENT;
    if (reader.cardPresent) {
        bits = reader.powered ? (SCARD_PRESENT | SCARD_POWERED | SCARD_NEGOTIABLE) : SCARD_PRESENT;
    }
    return (static_cast<DWORD>(reader.eventCounter) << 16) + bits;
}

}  // namespace kestrova::sim_service
