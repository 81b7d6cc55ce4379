// SCardBeginTransaction and SCardEndTransaction. The build of the library
// that tests a binding's handling of a missing name leaves out
// SCardBeginTransaction.

#include <string>

#include "sim/service/event_text.h"
#include "sim/service/pcsc_api.h"
#include "sim/service/reader_model.h"
#include "sim/service/service_state.h"

namespace kestrova::sim_service {
namespace {

[[maybe_unused]] LONG BeginTransaction(ServiceState& state, SCARDHANDLE card) {
    Connection* connection = nullptr;
    VirtualReader* reader = nullptr;
    const LONG located = LocateConnection(state, card, connection, reader);
    if (located != SCARD_S_SUCCESS) {
        return located;
    }
    const LONG event = EventResult(*connection);
    if (event != SCARD_S_SUCCESS) {
        return event;
    }
    // pcsc-lite keeps asking until the other handle's lock is given back,
    // which in one process could be never.
    return LockSharing(*reader, card);
}

LONG EndTransaction(ServiceState& state, SCARDHANDLE card, DWORD disposition) {
    Connection* connection = nullptr;
    VirtualReader* reader = nullptr;
    const LONG located = LocateConnection(state, card, connection, reader);
    if (located == SCARD_E_INVALID_HANDLE) {
        return located;
    }
    if (!IsDisposition(disposition)) {
        return SCARD_E_INVALID_VALUE;
    }
    if (located != SCARD_S_SUCCESS) {
        return located;
    }
    const LONG event = EventResult(*connection);
    if (event != SCARD_S_SUCCESS) {
        return event;
    }
    if (disposition != SCARD_LEAVE_CARD && CheckSharing(*reader, card) != SCARD_S_SUCCESS) {
        return SCARD_E_SHARING_VIOLATION;
    }
    if (disposition == SCARD_RESET_CARD || disposition == SCARD_UNPOWER_CARD) {
        // Every handle learns of the reset, this one included.
        ResetCard(state, *reader);
    }
    return UnlockSharing(*reader, card);
}

}  // namespace
}  // namespace kestrova::sim_service

using namespace kestrova::sim_service;

#ifndef KESTROVA_SIM_WITHOUT_BEGIN_TRANSACTION
LONG SCardBeginTransaction(SCARDHANDLE hCard) {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    const std::string arguments = HandleText(hCard);
    if (const auto fault = TakeFault(state, "SCardBeginTransaction", arguments)) {
        return *fault;
    }
    return RecordCall(state, "SCardBeginTransaction", arguments, BeginTransaction(state, hCard));
}
#endif

LONG SCardEndTransaction(SCARDHANDLE hCard, DWORD dwDisposition) {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    const std::string arguments = HandleText(hCard) + ", " + DispositionText(dwDisposition);
    if (const auto fault = TakeFault(state, "SCardEndTransaction", arguments)) {
        return *fault;
    }
    return RecordCall(state, "SCardEndTransaction", arguments,
                      EndTransaction(state, hCard, dwDisposition));
}
