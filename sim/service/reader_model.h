#pragma once

// What a reader does with its card and its connections, the way pcscd's
// reader factory does it: power-up and reset, the event every handle learns
// of, the exclusive/transaction lock and protocol negotiation.

#include "sim/service/pcsc_api.h"
#include "sim/service/service_state.h"

namespace kestrova::sim_service {

// Powers the card up (or resets it): fresh answer to reset, the protocol to
// be negotiated again, and the card itself starts a new session.
void PowerUp(VirtualReader& reader);

// SCARD_RESET_CARD: the other handles learn of the reset; an absent card
// stays absent. Returns false when there was no card to reset.
bool ResetCard(ServiceState& state, VirtualReader& reader);

// SCARD_UNPOWER_CARD at disconnect: the other handles learn of the reset and
// the card stays unpowered until the next connect.
void PowerDownCard(ServiceState& state, VirtualReader& reader);

void TakeCardOut(ServiceState& state, VirtualReader& reader);
void PutCardIn(VirtualReader& reader);

// The handle's connection and reader: SCARD_E_INVALID_HANDLE for an unknown
// handle, SCARD_E_INVALID_VALUE (with the connection found) when its reader
// was unplugged.
LONG LocateConnection(ServiceState& state, SCARDHANDLE handle, Connection*& connection,
                      VirtualReader*& reader);

// SCARD_LEAVE_CARD, SCARD_RESET_CARD, SCARD_UNPOWER_CARD or SCARD_EJECT_CARD.
bool IsDisposition(DWORD disposition);

// Ends a connection: the disposition's effect on the card, then the handle
// is forgotten and the reader's sharing given back. A handle whose reader was
// unplugged is just forgotten.
void CloseConnection(ServiceState& state, SCARDHANDLE handle, DWORD disposition);

// Every handle on the reader learns of the event.
void MarkHandles(ServiceState& state, const VirtualReader& reader, CardEvent event);

// SCARD_S_SUCCESS, or SCARD_W_REMOVED_CARD / SCARD_W_RESET_CARD for a handle
// that has not acknowledged what happened to the card.
LONG EventResult(const Connection& connection);

// The lock that an exclusive connection or a transaction holds: calls of
// other handles meet a sharing violation.
LONG CheckSharing(const VirtualReader& reader, SCARDHANDLE handle);
LONG LockSharing(VirtualReader& reader, SCARDHANDLE handle);
LONG UnlockSharing(VirtualReader& reader, SCARDHANDLE handle);
void UnlockAllSharing(VirtualReader& reader, SCARDHANDLE handle);

// What a handle meets before it may use the card: another handle's lock,
// then an event it has not acknowledged.
LONG CheckCardUse(const VirtualReader& reader, const Connection& connection, SCARDHANDLE handle);

// Negotiates (or checks) the active protocol against the caller's preferred
// protocols: SCARD_S_SUCCESS or SCARD_E_PROTO_MISMATCH.
LONG NegotiateProtocol(VirtualReader& reader, DWORD preferredProtocols);

// SCARD_ABSENT, SCARD_PRESENT, or SCARD_PRESENT | SCARD_POWERED |
// SCARD_NEGOTIABLE, with the insertion/removal count in the upper 16 bits.
DWORD ReaderStateWord(const VirtualReader& reader);

}  // namespace kestrova::sim_service
