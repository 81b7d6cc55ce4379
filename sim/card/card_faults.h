#pragma once

// The faults a card is told to show: which commands they hit, how often, and
// what the card does instead of its normal answer.

#include <cstdint>
#include <optional>
#include <vector>

#include "sim/card/card_content.h"

namespace kestrova::sim {

struct FaultDecision {
    std::optional<std::uint16_t> status;  // answer this instead of executing
    int delayMs = 0;                      // pause before answering
};

class FaultInjector {
  public:
    explicit FaultInjector(std::vector<FaultRule> rules);

    // Called once for every command, in order; commandNumber counts from 1.
    // Every rule that hits adds its delay; the first hitting rule with a
    // status decides the answer.
    FaultDecision Consider(const Bytes& command, std::uint64_t commandNumber);

  private:
    struct RuleState {
        FaultRule rule;
        int matched = 0;
        int fired = 0;
    };
    std::vector<RuleState> rules_;
};

}  // namespace kestrova::sim
