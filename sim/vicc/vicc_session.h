#pragma once

// What the card does with each frame from vpcd: power and reset reach the
// card as a fresh session, the answer to reset is sent when asked for, and
// commands are answered by the card. vpcd's frames cannot tell a one-byte
// command 00, 01, 02 or 04 from a control code: such a command is taken as
// the control code and gets no answer, so the daemon waits for one in vain.

#include <optional>

#include "sim/service/simulated_card.h"

namespace kestrova::sim::vicc {

class ViccSession {
  public:
    explicit ViccSession(SimulatedCard& card) : card_(card) {}

    // The payload to send back, if the frame wants an answer.
    std::optional<Bytes> OnFrame(const Bytes& payload);

    bool Powered() const { return powered_; }

  private:
    SimulatedCard& card_;
    bool powered_ = false;
};

}  // namespace kestrova::sim::vicc
