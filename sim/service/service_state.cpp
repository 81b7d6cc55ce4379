#include "sim/service/service_state.h"

#include <algorithm>

#include "sim/service/event_text.h"

namespace kestrova::sim_service {

ServiceState& State() {
    // Never destroyed: a binding may still call in while the process exits.
    static auto* const state = new ServiceState();
    return *state;
}

VirtualReader* FindReader(ServiceState& state, std::string_view name) {
    const auto found =
        std::find_if(state.readers.begin(), state.readers.end(),
                     [name](const VirtualReader& reader) { return reader.name == name; });
    return found == state.readers.end() ? nullptr : &*found;
}

VirtualReader* FindReader(ServiceState& state, std::uint64_t id) {
    const auto found = std::find_if(state.readers.begin(), state.readers.end(),
                                    [id](const VirtualReader& reader) { return reader.id == id; });
    return found == state.readers.end() ? nullptr : &*found;
}

LONG RecordCall(ServiceState& state, std::string_view function, const std::string& arguments,
                LONG result, const std::string& outputs) {
    std::string line(function);
    line += "(" + arguments + ") -> " + ResultText(result);
    if (!outputs.empty()) {
        line += " " + outputs;
    }
    state.events.push_back(std::move(line));
    return result;
}

std::optional<LONG> TakeFault(ServiceState& state, std::string_view function,
                              const std::string& arguments) {
    const std::optional<long> fault = state.faults.Take(function);
    if (fault) {
        RecordCall(state, function, arguments, *fault, "[injected]");
    }
    return fault;
}

}  // namespace kestrova::sim_service
