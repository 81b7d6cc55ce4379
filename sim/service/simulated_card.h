#pragma once

// A card as the simulated PC/SC service sees it: its answer to reset, the one
// protocol it speaks, and its answers to commands. The virtual financial card
// and the scripted test card implement it.

#include <cstdint>
#include <vector>

#include "sim/service/export.h"

namespace kestrova::sim {

using Bytes = std::vector<std::uint8_t>;

// The values are pcsc-lite's SCARD_PROTOCOL_T0 and SCARD_PROTOCOL_T1.
enum class Protocol : std::uint32_t { kT0 = 1, kT1 = 2 };

class KESTROVA_SIM_API SimulatedCard {
  public:
    SimulatedCard() = default;
    SimulatedCard(const SimulatedCard&) = delete;
    SimulatedCard& operator=(const SimulatedCard&) = delete;
    virtual ~SimulatedCard();

    // Read when the card is powered up or reset; at most 33 bytes.
    virtual Bytes Atr() const = 0;
    virtual Protocol CardProtocol() const = 0;

    // One command in, the whole response (data and status word) out. Called
    // with the service's lock held: must not call the service's control API.
    virtual Bytes Answer(const Bytes& command) = 0;

    // The reader powered the card up or reset it (insertion, a reset or
    // power-down disposition, a connect after power-down): a fresh session.
    virtual void Reset() {}
};

}  // namespace kestrova::sim
