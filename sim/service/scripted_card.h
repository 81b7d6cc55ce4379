#pragma once

// A card for byte-exact tests: it expects an exact sequence of commands and
// answers each with a canned response. A command that differs from the one
// expected next is recorded as a mismatch and answered 6F 00, so a test can
// say exactly which bytes were wrong instead of failing somewhere later.

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "sim/service/export.h"
#include "sim/service/simulated_card.h"

namespace kestrova::sim {

struct KESTROVA_SIM_API Mismatch {
    std::size_t command = 0;  // 1 for the first command the card received
    Bytes expected;           // empty when no command was expected any more
    Bytes received;

    // "command 3: expected 00B2010C00, received 00B2020C00 (first difference at
    // offset 2)"; offsets count from 0.
    std::string Describe() const;
};

class KESTROVA_SIM_API ScriptedCard final : public SimulatedCard {
  public:
    ScriptedCard(Bytes atr, Protocol protocol);

    // Queues one exchange: the command expected next and the response it gets.
    void Expect(Bytes command, Bytes response);

    Bytes Atr() const override;
    Protocol CardProtocol() const override;
    Bytes Answer(const Bytes& command) override;
    void Reset() override;

    // Every queued exchange has taken place (matching or not).
    bool AllConsumed() const;
    std::vector<Mismatch> Mismatches() const;
    std::size_t CommandCount() const;
    int ResetCount() const;

    // Empty when every expectation was met; otherwise one line per mismatch
    // and one per exchange that never took place.
    std::string Report() const;

  private:
    struct Exchange {
        Bytes command;
        Bytes response;
    };

    const Bytes atr_;
    const Protocol protocol_;
    mutable std::mutex mutex_;
    std::deque<Exchange> pending_;
    std::vector<Mismatch> mismatches_;
    std::size_t commandCount_ = 0;
    int resetCount_ = 0;
};

}  // namespace kestrova::sim
