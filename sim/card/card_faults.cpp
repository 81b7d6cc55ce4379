#include "sim/card/card_faults.h"

#include <algorithm>
#include <utility>

namespace kestrova::sim {
namespace {

bool Matches(const FaultRule& rule, const Bytes& command, std::uint64_t commandNumber) {
    if (rule.nth > 0 && commandNumber != static_cast<std::uint64_t>(rule.nth)) {
        return false;
    }
    return command.size() >= rule.commandPrefix.size() &&
           std::equal(rule.commandPrefix.begin(), rule.commandPrefix.end(), command.begin());
}

}  // namespace

FaultInjector::FaultInjector(std::vector<FaultRule> rules) {
    rules_.reserve(rules.size());
    for (FaultRule& rule : rules) {
        rules_.push_back({std::move(rule), 0, 0});
    }
}

FaultDecision FaultInjector::Consider(const Bytes& command, std::uint64_t commandNumber) {
    FaultDecision decision;
    for (RuleState& state : rules_) {
        if (!Matches(state.rule, command, commandNumber)) {
            continue;
        }
        ++state.matched;
        if (state.matched <= state.rule.skip) {
            continue;
        }
        if (state.rule.times > 0 && state.fired >= state.rule.times) {
            continue;
        }
        ++state.fired;
        decision.delayMs += state.rule.delayMs;
        if (!decision.status) {
            decision.status = state.rule.status;
        }
    }
    return decision;
}

}  // namespace kestrova::sim
