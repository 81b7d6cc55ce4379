#pragma once

// kestrova-vicc's work: keep the card connected to vpcd, answer its frames,
// and take the card out or put it back on command.

#include <ostream>

#include "sim/service/simulated_card.h"
#include "sim/vicc/vicc_options.h"

namespace kestrova::sim::vicc {

inline constexpr int kViccExitSuccess = 0;
inline constexpr int kViccExitFailure = 1;

// Reads commands ("remove", "remove-after-command HEX [N]",
// "hold-after-command HEX [N]", "release", "insert", "quit"), one per line,
// from commandDescriptor and answers each with one line on out; an armed
// removal says "card removed" when it happens, an armed hold "held" (vpcd's
// next frames then wait until "release"). When vpcd closes the connection
// (its daemon stopped) the card is out, "card removed", until "insert" puts
// it into the next daemon's reader. Runs until "quit", until the commands end
// while the card is out, or until vpcd cannot be reached (kViccExitFailure,
// reason on err).
int RunVicc(const ViccOptions& options, SimulatedCard& card, int commandDescriptor,
            std::ostream& out, std::ostream& err);

}  // namespace kestrova::sim::vicc
