#pragma once

// kestrova-vicc's work: keep the card connected to vpcd, answer its frames,
// and take the card out or put it back on command.

#include <ostream>

#include "sim/service/simulated_card.h"
#include "sim/vicc/vicc_options.h"

namespace kestrova::sim::vicc {

inline constexpr int kViccExitSuccess = 0;
inline constexpr int kViccExitFailure = 1;

// Reads commands ("remove", "remove-after-command HEX [N]", "insert",
// "quit"), one per line, from commandDescriptor and answers each with one
// line on out; an armed removal says "card removed" when it happens. Runs until
// "quit", until the commands end while the card is out, or until vpcd cannot
// be reached or closes the connection (kViccExitFailure, reason on err).
int RunVicc(const ViccOptions& options, SimulatedCard& card, int commandDescriptor,
            std::ostream& out, std::ostream& err);

}  // namespace kestrova::sim::vicc
