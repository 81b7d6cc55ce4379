#pragma once

// Which protocol a reader chooses for a card, read from its answer to reset.

#include <optional>

#include "sim/service/simulated_card.h"

namespace kestrova::sim {

// T=1 when the answer to reset offers T=1 (as readers choose it over T=0),
// else T=0. None for an answer to reset that is not well formed: a TS other
// than 3B or 3F, interface or historical bytes missing or in excess, or a
// wrong check byte.
std::optional<Protocol> ProtocolOfAtr(const Bytes& atr);

}  // namespace kestrova::sim
