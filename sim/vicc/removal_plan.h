#pragma once

// A removal armed ahead of time: the card is taken out right after it has
// answered the n-th command that starts with given bytes, so that a test can
// pull it between two commands of one operation, which no timing can hit.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "sim/service/simulated_card.h"

namespace kestrova::sim::vicc {

class RemovalPlan {
  public:
    // "HEX [N]": the command's first bytes in hex (at least one byte), and
    // which matching command, counted from now (1, the next, by default).
    static std::variant<RemovalPlan, std::string> Parse(std::string_view arguments);

    // Called for every command the card answers; true once the card is to go.
    bool CountsDown(const Bytes& command);

  private:
    Bytes prefix_;
    int remaining_ = 1;
};

}  // namespace kestrova::sim::vicc
