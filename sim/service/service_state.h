#pragma once

// The simulated service's state behind one lock: the readers with their cards
// and sharing, the established contexts, the open connections, the planned
// faults and the event log. Process-wide, like pcscd.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "sim/service/event_log.h"
#include "sim/service/fault_plan.h"
#include "sim/service/pcsc_api.h"
#include "sim/service/simulated_pcsc.h"

namespace kestrova::sim_service {

inline constexpr SCARDCONTEXT kFirstContext = 0x1001;
inline constexpr SCARDHANDLE kFirstCard = 0x2001;

// What happened to the card since the handle last acknowledged it (pcscd's
// event status of a handle).
enum class CardEvent { kNone, kRemoved, kReset };

struct Connection {
    SCARDCONTEXT context = 0;
    std::uint64_t readerId = 0;  // matches no reader once the reader is unplugged
    CardEvent event = CardEvent::kNone;
};

// A reader's sharing as pcscd counts it: one exclusive connection, or the
// number of shared (and direct) ones.
inline constexpr int kExclusive = -1;

struct VirtualReader {
    std::uint64_t id = 0;
    std::string name;
    sim::Attributes attributes;
    std::shared_ptr<sim::SimulatedCard> card;  // null: the reader has no card at all
    bool cardPresent = false;
    bool powered = false;
    sim::Bytes atr;                                   // read at the last power-up
    DWORD cardProtocol = 0;                           // what the card speaks
    DWORD activeProtocol = SCARD_PROTOCOL_UNDEFINED;  // negotiated until the next reset
    std::uint16_t eventCounter = 0;                   // insertions and removals
    int sharing = 0;
    SCARDHANDLE lockHolder = 0;  // exclusive connection or transaction
    int lockCount = 0;
};

struct ServiceState {
    std::mutex mutex;
    std::vector<VirtualReader> readers;  // in listing order
    std::set<SCARDCONTEXT> contexts;
    std::map<SCARDHANDLE, Connection> connections;
    SCARDCONTEXT nextContext = kFirstContext;
    SCARDHANDLE nextCard = kFirstCard;
    std::uint64_t nextReaderId = 1;
    FaultPlan faults;
    EventLog events;
    bool reportLockWaits = false;  // sim::ReportLockWaits
};

ServiceState& State();

VirtualReader* FindReader(ServiceState& state, std::string_view name);
VirtualReader* FindReader(ServiceState& state, std::uint64_t id);

// Appends "function(arguments) -> RESULT outputs" to the event log and
// returns the result.
LONG RecordCall(ServiceState& state, std::string_view function, const std::string& arguments,
                LONG result, const std::string& outputs = {});

// The injected result for this call of `function`, already recorded, if a
// fault is due.
std::optional<LONG> TakeFault(ServiceState& state, std::string_view function,
                              const std::string& arguments);

}  // namespace kestrova::sim_service
