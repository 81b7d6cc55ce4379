// SCardEstablishContext, SCardReleaseContext and SCardListReaders.

#include <cstring>
#include <string>
#include <vector>

#include "sim/service/event_text.h"
#include "sim/service/pcsc_api.h"
#include "sim/service/reader_model.h"
#include "sim/service/service_state.h"

namespace kestrova::sim_service {
namespace {

// pcscd closes a released context's connections: a handle that holds the
// reader (exclusive or in a transaction) has the card reset, unless the card
// was removed or reset under it; every other handle leaves the card.
std::string CloseConnectionsOf(ServiceState& state, SCARDCONTEXT context) {
    std::vector<SCARDHANDLE> handles;
    for (const auto& [handle, connection] : state.connections) {
        if (connection.context == context) {
            handles.push_back(handle);
        }
    }
    std::string closed;
    for (const SCARDHANDLE handle : handles) {
        const Connection& connection = state.connections.at(handle);
        const VirtualReader* reader = FindReader(state, connection.readerId);
        const bool holdsReader = reader != nullptr && reader->lockHolder == handle;
        const DWORD disposition = holdsReader && connection.event == CardEvent::kNone
                                      ? SCARD_RESET_CARD
                                      : SCARD_LEAVE_CARD;
        CloseConnection(state, handle, disposition);
        closed += (closed.empty() ? "closed=" : ",") + HandleText(handle) + ":" +
                  DispositionText(disposition);
    }
    return closed;
}

LONG EstablishContext(ServiceState& state, DWORD scope, SCARDCONTEXT* context) {
    if (context == nullptr) {
        return SCARD_E_INVALID_PARAMETER;
    }
    *context = 0;
    if (scope != SCARD_SCOPE_USER && scope != SCARD_SCOPE_TERMINAL && scope != SCARD_SCOPE_SYSTEM &&
        scope != SCARD_SCOPE_GLOBAL) {
        return SCARD_E_INVALID_VALUE;
    }
    *context = state.nextContext++;
    state.contexts.insert(*context);
    return SCARD_S_SUCCESS;
}

// The multi-string's length: every name with its NUL, and the final NUL.
DWORD ReaderListLength(const ServiceState& state) {
    DWORD length = 1;
    for (const VirtualReader& reader : state.readers) {
        length += static_cast<DWORD>(reader.name.size() + 1);
    }
    return length;
}

LONG ListReaders(ServiceState& state, SCARDCONTEXT context, LPSTR readers, LPDWORD length) {
    if (length == nullptr) {
        return SCARD_E_INVALID_PARAMETER;
    }
    if (state.contexts.count(context) == 0) {
        return SCARD_E_INVALID_HANDLE;
    }
    const DWORD needed = ReaderListLength(state);
    const DWORD offered = *length;
    *length = needed;
    if (needed == 1) {
        return SCARD_E_NO_READERS_AVAILABLE;
    }
    if (offered == SCARD_AUTOALLOCATE) {
        return SCARD_E_INVALID_PARAMETER;
    }
    if (readers == nullptr) {
        return SCARD_S_SUCCESS;
    }
    if (offered < needed) {
        return SCARD_E_INSUFFICIENT_BUFFER;
    }
    char* next = readers;
    for (const VirtualReader& reader : state.readers) {
        std::memcpy(next, reader.name.c_str(), reader.name.size() + 1);
        next += reader.name.size() + 1;
    }
    *next = '\0';
    return SCARD_S_SUCCESS;
}

}  // namespace
}  // namespace kestrova::sim_service

using namespace kestrova::sim_service;

LONG SCardEstablishContext(DWORD dwScope, LPCVOID /*pvReserved1*/, LPCVOID /*pvReserved2*/,
                           LPSCARDCONTEXT phContext) {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    const std::string arguments = ScopeText(dwScope);
    if (const auto fault = TakeFault(state, "SCardEstablishContext", arguments)) {
        if (phContext != nullptr) {
            *phContext = 0;
        }
        return *fault;
    }
    const LONG result = EstablishContext(state, dwScope, phContext);
    return RecordCall(state, "SCardEstablishContext", arguments, result,
                      result == SCARD_S_SUCCESS ? "context=" + HandleText(*phContext) : "");
}

LONG SCardReleaseContext(SCARDCONTEXT hContext) {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    const std::string arguments = HandleText(hContext);
    if (const auto fault = TakeFault(state, "SCardReleaseContext", arguments)) {
        return *fault;
    }
    if (state.contexts.erase(hContext) == 0) {
        return RecordCall(state, "SCardReleaseContext", arguments, SCARD_E_INVALID_HANDLE);
    }
    const std::string closed = CloseConnectionsOf(state, hContext);
    return RecordCall(state, "SCardReleaseContext", arguments, SCARD_S_SUCCESS, closed);
}

LONG SCardListReaders(SCARDCONTEXT hContext, LPCSTR /*mszGroups*/, LPSTR mszReaders,
                      LPDWORD pcchReaders) {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    const std::string arguments = HandleText(hContext) + ", " + LengthText(mszReaders, pcchReaders);
    if (const auto fault = TakeFault(state, "SCardListReaders", arguments)) {
        if (pcchReaders != nullptr) {
            *pcchReaders = 0;
        }
        return *fault;
    }
    const LONG result = ListReaders(state, hContext, mszReaders, pcchReaders);
    const bool lengthKnown = result == SCARD_S_SUCCESS || result == SCARD_E_INSUFFICIENT_BUFFER;
    return RecordCall(state, "SCardListReaders", arguments, result,
                      lengthKnown ? "length=" + std::to_string(*pcchReaders) : "");
}
