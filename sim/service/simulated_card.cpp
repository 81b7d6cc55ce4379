#include "sim/service/simulated_card.h"

namespace kestrova::sim {

// Out of line so that the class's type information lives in this library.
SimulatedCard::~SimulatedCard() = default;

}  // namespace kestrova::sim
