#include "sim/card/atr_protocol.h"

#include <cstddef>
#include <cstdint>

namespace kestrova::sim {
namespace {

constexpr std::uint8_t kDirectConvention = 0x3B;
constexpr std::uint8_t kInverseConvention = 0x3F;
constexpr std::size_t kMaxAtrLength = 33;

}  // namespace

std::optional<Protocol> ProtocolOfAtr(const Bytes& atr) {
    if (atr.size() < 2 || atr.size() > kMaxAtrLength ||
        (atr[0] != kDirectConvention && atr[0] != kInverseConvention)) {
        return std::nullopt;
    }
    const std::size_t historical = atr[1] & 0x0F;
    std::uint8_t indicator = atr[1];
    std::size_t position = 2;
    bool offersT1 = false;
    bool offersOtherThanT0 = false;
    // Each indicator's high nibble says which of TAi, TBi, TCi and TDi follow.
    for (;;) {
        const unsigned present = indicator >> 4;
        position += static_cast<std::size_t>((present & 1U) + ((present >> 1) & 1U) +
                                             ((present >> 2) & 1U));
        if ((present & 8U) == 0) {
            break;
        }
        if (position >= atr.size()) {
            return std::nullopt;
        }
        indicator = atr[position++];
        const unsigned protocol = indicator & 0x0FU;
        offersT1 = offersT1 || protocol == 1;
        offersOtherThanT0 = offersOtherThanT0 || protocol != 0;
    }
    position += historical;
    // The check byte follows when any protocol other than T=0 is offered.
    const std::size_t expected = position + (offersOtherThanT0 ? 1 : 0);
    if (atr.size() != expected) {
        return std::nullopt;
    }
    if (offersOtherThanT0) {
        std::uint8_t check = 0;
        for (std::size_t i = 1; i < atr.size(); ++i) {
            check = static_cast<std::uint8_t>(check ^ atr[i]);
        }
        if (check != 0) {
            return std::nullopt;
        }
    }
    return offersT1 ? Protocol::kT1 : Protocol::kT0;
}

}  // namespace kestrova::sim
