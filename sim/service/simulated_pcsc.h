#pragma once

// Control of the simulated PC/SC service. The same shared library exports
// pcsc-lite's functions and records (SCardEstablishContext ... g_rgSCardT0Pci)
// with pcsc-lite's types and behaviour, so the card layer binds it by path
// exactly like libpcsclite.so.1. A test that links the library and a binding
// that loads it by path share one instance: readers set up here are the ones
// the bound functions see.
//
// Behaviour worth knowing when writing tests (as pcsc-lite 1.9's pcscd does
// it, checked against it with the vpcd virtual reader):
// - Handles are deterministic after Reset(): contexts 0x1001, 0x1002, ...,
//   card handles 0x2001, 0x2002, ... (pcsc-lite hands out random 31-bit ones).
// - SCardStatus's state is SCARD_PRESENT | SCARD_POWERED | SCARD_NEGOTIABLE
//   (0x34), SCARD_PRESENT after a power-down or SCARD_ABSENT, plus the count
//   of insertions and removals in the upper 16 bits; a card present when its
//   reader is added counts as one insertion.
// - Removing a card marks every handle on that reader: their calls answer
//   SCARD_W_REMOVED_CARD, also after the card is back, until SCardReconnect.
//   An exclusive handle keeps the reader exclusive after the card is gone, so
//   a fresh SCardConnect meets SCARD_E_SHARING_VIOLATION until that handle is
//   disconnected.
// - A reset or power-down (SCardDisconnect, SCardReconnect, SCardEndTransaction
//   with SCARD_RESET_CARD or SCARD_UNPOWER_CARD) marks the reader's other
//   handles: they answer SCARD_W_RESET_CARD until SCardReconnect.
// - SCardReleaseContext closes the context's connections: with
//   SCARD_RESET_CARD where the handle held the reader (exclusive or in a
//   transaction) and nothing had happened to the card, else SCARD_LEAVE_CARD.
// - Where pcsc-lite would wait for another handle's lock (connecting while
//   another handle is in a transaction, calls on a reader locked by another
//   handle), the simulation answers SCARD_E_SHARING_VIOLATION at once; with
//   ReportLockWaits(true) such a connect answers SCARD_E_TIMEOUT instead.
// - Removing a reader: SCardStatus on its handles answers
//   SCARD_E_READER_UNAVAILABLE, the other calls SCARD_E_INVALID_VALUE, and
//   SCardDisconnect succeeds and forgets the handle.
// - SCardTransmit with a receive buffer too small for the answer: the card
//   has carried out the command; SCARD_E_INSUFFICIENT_BUFFER with the length
//   needed. A send record whose protocol is not the connection's gives
//   SCARD_E_PROTO_MISMATCH and the card sees nothing.
// - SCARD_AUTOALLOCATE is refused with SCARD_E_INVALID_PARAMETER (the library
//   has no SCardFreeMemory).
// - There is no limit of 16 readers, so a test can list more.
// - A card without a card object answers every command 6D 00.
//
// Event log: one line per PC/SC call, in call order, for example
//   SCardEstablishContext(SCARD_SCOPE_USER) -> SCARD_S_SUCCESS context=0x1001
//   SCardListReaders(0x1001, 1024) -> SCARD_S_SUCCESS length=10
//   SCardConnect(0x1001, "Reader A", SCARD_SHARE_EXCLUSIVE,
//       SCARD_PROTOCOL_T0|SCARD_PROTOCOL_T1) -> SCARD_S_SUCCESS card=0x2001
//       protocol=SCARD_PROTOCOL_T0                                (one line)
//   SCardReconnect(0x2001, SCARD_SHARE_EXCLUSIVE, SCARD_PROTOCOL_T0|SCARD_PROTOCOL_T1,
//       SCARD_RESET_CARD) -> SCARD_S_SUCCESS protocol=SCARD_PROTOCOL_T0
//   SCardStatus(0x2001, 64, 256) -> SCARD_S_SUCCESS reader="Reader A"
//       state=0x00010034 protocol=SCARD_PROTOCOL_T0 atr=3B021450
//   SCardTransmit(0x2001, SCARD_PCI_T0, 00A4040008A000000172950001, 258)
//       -> SCARD_S_SUCCESS response=6110
//   SCardGetAttrib(0x2001, 0x00010100, 128) -> SCARD_S_SUCCESS length=6
//   SCardBeginTransaction(0x2001) -> SCARD_S_SUCCESS
//   SCardEndTransaction(0x2001, SCARD_LEAVE_CARD) -> SCARD_S_SUCCESS
//   SCardDisconnect(0x2001, SCARD_RESET_CARD) -> SCARD_S_SUCCESS
//   SCardReleaseContext(0x1001) -> SCARD_S_SUCCESS closed=0x2001:SCARD_RESET_CARD
//   card removed: Reader A          card inserted: Reader A
// Buffer lengths are the caller's in-values ("null" for an absent buffer or
// pointer). Outputs follow the result on success; on
// SCARD_E_INSUFFICIENT_BUFFER the length needed is shown. An injected fault
// ends its line with " [injected]". Test doubles add their own lines with
// AppendEvent ("pause 100").

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/service/export.h"
#include "sim/service/simulated_card.h"

namespace kestrova::sim {

// Attribute identifier (SCARD_ATTR_...) -> the bytes SCardGetAttrib delivers,
// at most 264 bytes each. Without an entry, SCARD_ATTR_DEVICE_FRIENDLY_NAME
// and SCARD_ATTR_DEVICE_SYSTEM_NAME give the reader's name with its NUL, as
// pcscd does; any other absent attribute gives SCARD_E_UNSUPPORTED_FEATURE.
using Attributes = std::map<std::uint32_t, Bytes>;

struct ReaderSetup {
    std::string name;  // 1 to 127 characters, unique
    bool cardPresent = false;
    // The answer to reset of the reader's card, 1 to 33 bytes; empty when the
    // reader has no card at all (then cardPresent must be false).
    Bytes atr;
    Protocol protocol = Protocol::kT0;
    Attributes attributes;
};

// Forgets everything: readers, contexts, connections, planned faults and the
// event log. Handles given out before are unknown afterwards
// (SCARD_E_INVALID_HANDLE); numbering starts again.
KESTROVA_SIM_API void Reset();

// Adds a reader at the end of the listing. False (and nothing added) for an
// empty, too long or duplicate name, an ATR over 33 bytes, a present card
// without an ATR, or an attribute over 264 bytes.
[[nodiscard]] KESTROVA_SIM_API bool AddReader(const ReaderSetup& setup);

// Unplugs the reader; its handles stay known but dead (see above). False for
// an unknown name.
[[nodiscard]] KESTROVA_SIM_API bool RemoveReader(std::string_view name);

// Takes the reader's card out / puts the same card back (a fresh power-up
// and answer to reset). False for an unknown reader, a card already out / in,
// or a reader without a card.
[[nodiscard]] KESTROVA_SIM_API bool RemoveCard(std::string_view reader);
[[nodiscard]] KESTROVA_SIM_API bool InsertCard(std::string_view reader);

// Puts this card object in the reader (taking out any card that was in it):
// its Atr() and CardProtocol() replace the setup's, and it answers the
// commands. False for an unknown reader, a null card, or an ATR that is empty
// or over 33 bytes.
[[nodiscard]] KESTROVA_SIM_API bool PlugCard(std::string_view reader,
                                             std::shared_ptr<SimulatedCard> card);

// Fault injection by PC/SC function name ("SCardConnect"): the next `count`
// calls of that function return `result` (a pcsc-lite LONG such as
// SCARD_W_REMOVED_CARD) without doing anything, with the outputs pcsc-lite
// leaves after a failure (handle 0, lengths 0). FailCallsAfter lets `passing`
// calls through first. Plans for one function run one after the other. False
// for an unknown function name or a count below 1 (or passing below 0).
[[nodiscard]] KESTROVA_SIM_API bool FailNextCalls(std::string_view function, int count,
                                                  long result);
[[nodiscard]] KESTROVA_SIM_API bool FailCallsAfter(std::string_view function, int passing,
                                                   int count, long result);
KESTROVA_SIM_API void ClearFaults();

// On: an SCardConnect that pcscd would hold, with no time limit, until
// another handle's transaction on that reader ends (the reader not held
// exclusively) answers SCARD_E_TIMEOUT, its event line ending with
// " [would wait for lock]", instead of SCARD_E_SHARING_VIOLATION. For tests
// that must tell such a wait from a plain sharing violation. Off after Reset().
KESTROVA_SIM_API void ReportLockWaits(bool report);

// The log keeps the last 10,000 lines, and only while recording is on: on
// when the library is loaded and after Reset(); a host serving pages turns
// it off. Turning it off drops what was kept. The data of PIN commands
// (VERIFY, CHANGE REFERENCE DATA, RESET RETRY COUNTER and record writes,
// which carry a new PIN) is shown as "*" per digit.
KESTROVA_SIM_API std::vector<std::string> Events();
KESTROVA_SIM_API void RecordEvents(bool record);
KESTROVA_SIM_API void ClearEvents();
KESTROVA_SIM_API void AppendEvent(std::string event);

// Established contexts, and open connections on one reader (none for an
// unknown reader): for tests that check nothing is left open.
KESTROVA_SIM_API int ContextCount();
KESTROVA_SIM_API std::optional<int> ConnectionCount(std::string_view reader);

}  // namespace kestrova::sim
