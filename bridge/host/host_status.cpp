#include "bridge/host/host_status.h"

#include <nlohmann/json.hpp>
#include <vector>

#include "host/install_layout.h"
#include "reader/reader_probe.h"
#include "reader/result_codes.h"
#include "reader/service_binding.h"

namespace kestrova::bridge {
namespace {

constexpr std::int32_t kNoService = static_cast<std::int32_t>(0x8010001DU);
constexpr std::int32_t kServiceStopped = static_cast<std::int32_t>(0x8010001EU);

const char* ServiceWord(std::int32_t probed) {
    if (probed == kResultSuccess) {
        return "running";
    }
    if (probed == kNoService || probed == kServiceStopped) {
        return "stopped";
    }
    return probed == kResultFailure && BindCardService() != kResultSuccess ? "missing" : "failing";
}

}  // namespace

std::string StatusReply(std::int64_t id) {
    std::vector<ProbedReader> readers;
    const std::int32_t probed = ProbeReaders(readers);
    int cards = 0;
    for (const ProbedReader& reader : readers) {
        cards += reader.card == CardPresence::kPresent || reader.card == CardPresence::kInUse ||
                         reader.card == CardPresence::kUnresponsive
                     ? 1
                     : 0;
    }
    const nlohmann::ordered_json status = {{"service", ServiceWord(probed)},
                                           {"readers", readers.size()},
                                           {"cards", cards},
                                           {"version", host::kComponentVersion},
                                           {"protocol", host::kBridgeProtocolVersion}};
    return nlohmann::ordered_json{{"id", id}, {"result", status}}.dump();
}

}  // namespace kestrova::bridge
