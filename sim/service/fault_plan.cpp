#include "sim/service/fault_plan.h"

#include <algorithm>
#include <array>

namespace kestrova::sim_service {
namespace {

constexpr std::array<std::string_view, 11> kFunctions = {
    "SCardEstablishContext", "SCardReleaseContext",   "SCardListReaders",    "SCardConnect",
    "SCardReconnect",        "SCardDisconnect",       "SCardStatus",         "SCardTransmit",
    "SCardGetAttrib",        "SCardBeginTransaction", "SCardEndTransaction",
};

}  // namespace

bool FaultPlan::IsKnownFunction(std::string_view function) {
    return std::find(kFunctions.begin(), kFunctions.end(), function) != kFunctions.end();
}

bool FaultPlan::Add(std::string_view function, int passing, int failing, long result) {
    if (!IsKnownFunction(function) || passing < 0 || failing < 1) {
        return false;
    }
    plans_[std::string(function)].push_back({passing, failing, result});
    return true;
}

std::optional<long> FaultPlan::Take(std::string_view function) {
    const auto found = plans_.find(function);
    if (found == plans_.end() || found->second.empty()) {
        return std::nullopt;
    }
    Plan& plan = found->second.front();
    if (plan.passing > 0) {
        --plan.passing;
        return std::nullopt;
    }
    const long result = plan.result;
    if (--plan.failing == 0) {
        found->second.pop_front();
    }
    return result;
}

}  // namespace kestrova::sim_service
