// The control API of simulated_pcsc.h over the service's state.

#include <algorithm>
#include <utility>

#include "sim/service/pcsc_api.h"
#include "sim/service/reader_model.h"
#include "sim/service/service_state.h"
#include "sim/service/simulated_pcsc.h"

namespace kestrova::sim {
namespace {

using sim_service::ServiceState;
using sim_service::State;
using sim_service::VirtualReader;

constexpr std::size_t kMaxAtrSize = MAX_ATR_SIZE;

// The card of a reader set up with an answer to reset but no card object:
// it answers every command "instruction not supported".
class PlainCard final : public SimulatedCard {
  public:
    PlainCard(Bytes atr, Protocol protocol) : atr_(std::move(atr)), protocol_(protocol) {}
    Bytes Atr() const override { return atr_; }
    Protocol CardProtocol() const override { return protocol_; }
    Bytes Answer(const Bytes& /*command*/) override { return {0x6D, 0x00}; }

  private:
    const Bytes atr_;
    const Protocol protocol_;
};

bool IsAcceptedAtr(const Bytes& atr) {
    return !atr.empty() && atr.size() <= kMaxAtrSize;
}

bool IsAcceptedSetup(const ReaderSetup& setup) {
    if (setup.name.empty() || setup.name.size() >= MAX_READERNAME ||
        setup.name.find('\0') != std::string::npos) {
        return false;
    }
    if (setup.atr.size() > kMaxAtrSize || (setup.cardPresent && setup.atr.empty())) {
        return false;
    }
    return std::all_of(setup.attributes.begin(), setup.attributes.end(), [](const auto& entry) {
        return entry.second.size() <= sim_service::kMaxBufferSize;
    });
}

}  // namespace

void Reset() {
    ServiceState& state = State();
    // Released after the lock: a card's destructor may call back in.
    std::vector<VirtualReader> dropped;
    const std::lock_guard<std::mutex> lock(state.mutex);
    dropped.swap(state.readers);
    state.contexts.clear();
    state.connections.clear();
    state.nextContext = sim_service::kFirstContext;
    state.nextCard = sim_service::kFirstCard;
    state.faults.Clear();
    state.events.clear();
    state.events.SetRecording(true);
    state.reportLockWaits = false;
}

bool AddReader(const ReaderSetup& setup) {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    if (!IsAcceptedSetup(setup) || FindReader(state, setup.name) != nullptr) {
        return false;
    }
    VirtualReader reader;
    reader.id = state.nextReaderId++;
    reader.name = setup.name;
    reader.attributes = setup.attributes;
    if (!setup.atr.empty()) {
        reader.card = std::make_shared<PlainCard>(setup.atr, setup.protocol);
    }
    if (setup.cardPresent) {
        // pcscd counts the card it finds in a new reader as an insertion.
        sim_service::PutCardIn(reader);
    }
    state.readers.push_back(std::move(reader));
    return true;
}

bool RemoveReader(std::string_view name) {
    ServiceState& state = State();
    std::vector<VirtualReader> dropped;
    const std::lock_guard<std::mutex> lock(state.mutex);
    const auto found =
        std::find_if(state.readers.begin(), state.readers.end(),
                     [name](const VirtualReader& reader) { return reader.name == name; });
    if (found == state.readers.end()) {
        return false;
    }
    dropped.push_back(std::move(*found));
    state.readers.erase(found);
    return true;
}

bool RemoveCard(std::string_view reader) {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    VirtualReader* found = FindReader(state, reader);
    if (found == nullptr || !found->cardPresent) {
        return false;
    }
    sim_service::TakeCardOut(state, *found);
    state.events.push_back("card removed: " + found->name);
    return true;
}

bool InsertCard(std::string_view reader) {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    VirtualReader* found = FindReader(state, reader);
    if (found == nullptr || found->cardPresent || found->card == nullptr) {
        return false;
    }
    sim_service::PutCardIn(*found);
    state.events.push_back("card inserted: " + found->name);
    return true;
}

bool PlugCard(std::string_view reader, std::shared_ptr<SimulatedCard> card) {
    if (card == nullptr || !IsAcceptedAtr(card->Atr())) {
        return false;
    }
    ServiceState& state = State();
    std::shared_ptr<SimulatedCard> previous;
    const std::lock_guard<std::mutex> lock(state.mutex);
    VirtualReader* found = FindReader(state, reader);
    if (found == nullptr) {
        return false;
    }
    previous = std::move(found->card);
    if (found->cardPresent) {
        sim_service::TakeCardOut(state, *found);
        state.events.push_back("card removed: " + found->name);
    }
    found->card = std::move(card);
    sim_service::PutCardIn(*found);
    state.events.push_back("card inserted: " + found->name);
    return true;
}

bool FailNextCalls(std::string_view function, int count, long result) {
    return FailCallsAfter(function, 0, count, result);
}

bool FailCallsAfter(std::string_view function, int passing, int count, long result) {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    return state.faults.Add(function, passing, count, result);
}

void ReportLockWaits(bool report) {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    state.reportLockWaits = report;
}

void ClearFaults() {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    state.faults.Clear();
}

std::vector<std::string> Events() {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    return state.events.Lines();
}

void RecordEvents(bool record) {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    state.events.SetRecording(record);
}

void ClearEvents() {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    state.events.clear();
}

void AppendEvent(std::string event) {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    state.events.push_back(std::move(event));
}

int ContextCount() {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    return static_cast<int>(state.contexts.size());
}

std::optional<int> ConnectionCount(std::string_view reader) {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    const VirtualReader* found = FindReader(state, reader);
    if (found == nullptr) {
        return std::nullopt;
    }
    return static_cast<int>(
        std::count_if(state.connections.begin(), state.connections.end(),
                      [found](const auto& entry) { return entry.second.readerId == found->id; }));
}

}  // namespace kestrova::sim
