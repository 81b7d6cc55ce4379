// SCardConnect, SCardReconnect and SCardDisconnect.

#include <cstring>
#include <string>

#include "sim/service/event_text.h"
#include "sim/service/pcsc_api.h"
#include "sim/service/reader_model.h"
#include "sim/service/service_state.h"

namespace kestrova::sim_service {
namespace {

bool IsShareMode(DWORD shareMode) {
    return shareMode == SCARD_SHARE_EXCLUSIVE || shareMode == SCARD_SHARE_SHARED ||
           shareMode == SCARD_SHARE_DIRECT;
}

// Outside direct mode at least one protocol pcscd knows must be asked for.
bool AsksForKnownProtocol(DWORD shareMode, DWORD preferredProtocols) {
    const DWORD known =
        SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1 | SCARD_PROTOCOL_RAW | kProtocolAnyOld;
    return shareMode == SCARD_SHARE_DIRECT || (preferredProtocols & known) != 0;
}

LONG Connect(ServiceState& state, SCARDCONTEXT context, LPCSTR readerName, DWORD shareMode,
             DWORD preferredProtocols, LPSCARDHANDLE card, LPDWORD activeProtocol) {
    if (card == nullptr || activeProtocol == nullptr) {
        return SCARD_E_INVALID_PARAMETER;
    }
    *card = 0;
    if (readerName == nullptr) {
        return SCARD_E_UNKNOWN_READER;
    }
    if (strnlen(readerName, MAX_READERNAME + 1) > MAX_READERNAME) {
        return SCARD_E_INVALID_VALUE;
    }
    if (state.contexts.count(context) == 0) {
        return SCARD_E_INVALID_HANDLE;
    }
    *activeProtocol = SCARD_PROTOCOL_UNDEFINED;
    if (!AsksForKnownProtocol(shareMode, preferredProtocols)) {
        return SCARD_E_PROTO_MISMATCH;
    }
    if (!IsShareMode(shareMode)) {
        return SCARD_E_INVALID_VALUE;
    }
    VirtualReader* reader = FindReader(state, std::string_view(readerName));
    if (reader == nullptr) {
        return SCARD_E_UNKNOWN_READER;
    }
    if (reader->sharing == kExclusive) {
        return SCARD_E_SHARING_VIOLATION;
    }
    // pcscd would wait for another handle's transaction to end; with every
    // handle in this one process that wait could never end.
    if (reader->lockHolder != 0) {
        return state.reportLockWaits ? SCARD_E_TIMEOUT : SCARD_E_SHARING_VIOLATION;
    }
    if (shareMode != SCARD_SHARE_DIRECT) {
        if (!reader->cardPresent) {
            return SCARD_E_NO_SMARTCARD;
        }
        if (!reader->powered) {
            PowerUp(*reader);
        }
        const LONG negotiated = NegotiateProtocol(*reader, preferredProtocols);
        if (negotiated != SCARD_S_SUCCESS) {
            return negotiated;
        }
    } else if ((preferredProtocols & SCARD_PROTOCOL_RAW) != 0) {
        NegotiateProtocol(*reader, preferredProtocols);
    }
    // Reported even when the exclusive claim below fails, as pcscd does.
    *activeProtocol = reader->activeProtocol;
    if (shareMode == SCARD_SHARE_EXCLUSIVE) {
        if (reader->sharing != 0) {
            return SCARD_E_SHARING_VIOLATION;
        }
        reader->sharing = kExclusive;
    } else {
        ++reader->sharing;
    }
    *card = state.nextCard++;
    state.connections[*card] = Connection{context, reader->id, CardEvent::kNone};
    if (shareMode == SCARD_SHARE_EXCLUSIVE) {
        LockSharing(*reader, *card);
    }
    return SCARD_S_SUCCESS;
}

LONG ClaimShareMode(VirtualReader& reader, SCARDHANDLE card, DWORD shareMode) {
    if (shareMode == SCARD_SHARE_EXCLUSIVE) {
        if (reader.sharing == kExclusive) {
            return SCARD_S_SUCCESS;
        }
        if (reader.sharing != 1) {
            return SCARD_E_SHARING_VIOLATION;
        }
        reader.sharing = kExclusive;
        LockSharing(reader, card);
        return SCARD_S_SUCCESS;
    }
    if (reader.sharing == kExclusive) {
        // Giving up exclusive use gives back the lock that came with it.
        if (--reader.lockCount <= 0) {
            reader.lockCount = 0;
            reader.lockHolder = 0;
        }
        reader.sharing = 1;
    }
    return SCARD_S_SUCCESS;
}

LONG Reconnect(ServiceState& state, SCARDHANDLE card, DWORD shareMode, DWORD preferredProtocols,
               DWORD initialization, LPDWORD activeProtocol) {
    if (activeProtocol == nullptr) {
        return SCARD_E_INVALID_PARAMETER;
    }
    const auto connection = state.connections.find(card);
    if (connection == state.connections.end()) {
        return SCARD_E_INVALID_HANDLE;
    }
    if (initialization != SCARD_LEAVE_CARD && initialization != SCARD_RESET_CARD &&
        initialization != SCARD_UNPOWER_CARD) {
        return SCARD_E_INVALID_VALUE;
    }
    if (!IsShareMode(shareMode)) {
        return SCARD_E_INVALID_VALUE;
    }
    if (!AsksForKnownProtocol(shareMode, preferredProtocols)) {
        return SCARD_E_PROTO_MISMATCH;
    }
    VirtualReader* reader = FindReader(state, connection->second.readerId);
    if (reader == nullptr) {
        return SCARD_E_INVALID_VALUE;
    }
    const LONG sharing = CheckSharing(*reader, card);
    if (sharing != SCARD_S_SUCCESS) {
        return sharing;
    }
    if (initialization == SCARD_LEAVE_CARD) {
        if (!reader->cardPresent) {
            return SCARD_E_NO_SMARTCARD;
        }
        // Direct use leaves a powered-down card as it is.
        if (!reader->powered && shareMode != SCARD_SHARE_DIRECT) {
            PowerUp(*reader);
        }
    } else if (!ResetCard(state, *reader)) {
        return SCARD_E_NO_SMARTCARD;
    }
    if (shareMode != SCARD_SHARE_DIRECT || (preferredProtocols & SCARD_PROTOCOL_RAW) != 0) {
        const LONG negotiated = NegotiateProtocol(*reader, preferredProtocols);
        if (negotiated != SCARD_S_SUCCESS) {
            return negotiated;
        }
    }
    *activeProtocol = reader->activeProtocol;
    const LONG claimed = ClaimShareMode(*reader, card, shareMode);
    if (claimed != SCARD_S_SUCCESS) {
        return claimed;
    }
    connection->second.event = CardEvent::kNone;
    return SCARD_S_SUCCESS;
}

LONG Disconnect(ServiceState& state, SCARDHANDLE card, DWORD disposition) {
    const auto connection = state.connections.find(card);
    if (connection == state.connections.end()) {
        return SCARD_E_INVALID_HANDLE;
    }
    if (!IsDisposition(disposition)) {
        return SCARD_E_INVALID_VALUE;
    }
    const VirtualReader* reader = FindReader(state, connection->second.readerId);
    // pcscd would wait for another handle's transaction before acting on the card.
    if (reader != nullptr && disposition != SCARD_LEAVE_CARD &&
        CheckSharing(*reader, card) != SCARD_S_SUCCESS) {
        return SCARD_E_SHARING_VIOLATION;
    }
    CloseConnection(state, card, disposition);
    return SCARD_S_SUCCESS;
}

}  // namespace
}  // namespace kestrova::sim_service

using namespace kestrova::sim_service;

LONG SCardConnect(SCARDCONTEXT hContext, LPCSTR szReader, DWORD dwShareMode,
                  DWORD dwPreferredProtocols, LPSCARDHANDLE phCard, LPDWORD pdwActiveProtocol) {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    const std::string arguments = HandleText(hContext) + ", " + QuotedText(szReader) + ", " +
                                  ShareModeText(dwShareMode) + ", " +
                                  ProtocolText(dwPreferredProtocols);
    if (const auto fault = TakeFault(state, "SCardConnect", arguments)) {
        if (phCard != nullptr) {
            *phCard = 0;
        }
        if (pdwActiveProtocol != nullptr) {
            *pdwActiveProtocol = SCARD_PROTOCOL_UNDEFINED;
        }
        return *fault;
    }
    const LONG result = Connect(state, hContext, szReader, dwShareMode, dwPreferredProtocols,
                                phCard, pdwActiveProtocol);
    std::string outputs;
    if (result == SCARD_S_SUCCESS) {
        outputs = "card=" + HandleText(*phCard) + " protocol=" + ProtocolText(*pdwActiveProtocol);
    } else if (result == SCARD_E_TIMEOUT) {
        outputs = "[would wait for lock]";
    }
    return RecordCall(state, "SCardConnect", arguments, result, outputs);
}

LONG SCardReconnect(SCARDHANDLE hCard, DWORD dwShareMode, DWORD dwPreferredProtocols,
                    DWORD dwInitialization, LPDWORD pdwActiveProtocol) {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    const std::string arguments = HandleText(hCard) + ", " + ShareModeText(dwShareMode) + ", " +
                                  ProtocolText(dwPreferredProtocols) + ", " +
                                  DispositionText(dwInitialization);
    if (const auto fault = TakeFault(state, "SCardReconnect", arguments)) {
        return *fault;
    }
    const LONG result = Reconnect(state, hCard, dwShareMode, dwPreferredProtocols, dwInitialization,
                                  pdwActiveProtocol);
    return RecordCall(
        state, "SCardReconnect", arguments, result,
        result == SCARD_S_SUCCESS ? "protocol=" + ProtocolText(*pdwActiveProtocol) : "");
}

LONG SCardDisconnect(SCARDHANDLE hCard, DWORD dwDisposition) {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    const std::string arguments = HandleText(hCard) + ", " + DispositionText(dwDisposition);
    if (const auto fault = TakeFault(state, "SCardDisconnect", arguments)) {
        return *fault;
    }
    return RecordCall(state, "SCardDisconnect", arguments, Disconnect(state, hCard, dwDisposition));
}
