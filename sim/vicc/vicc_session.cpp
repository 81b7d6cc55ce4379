#include "sim/vicc/vicc_session.h"

#include "sim/vicc/vpcd_frames.h"

namespace kestrova::sim::vicc {

std::optional<Bytes> ViccSession::OnFrame(const Bytes& payload) {
    // vpcd waits for an answer to every command it forwards, also to an empty
    // one or one of a single byte; only the four control codes want none.
    if (payload.size() != 1) {
        return card_.Answer(payload);
    }
    switch (payload[0]) {
        case static_cast<std::uint8_t>(ControlCode::kPowerOff):
            powered_ = false;
            return std::nullopt;
        case static_cast<std::uint8_t>(ControlCode::kPowerOn):
        case static_cast<std::uint8_t>(ControlCode::kReset):
            // The card's security state ends with its power, as a real card's.
            card_.Reset();
            powered_ = true;
            return std::nullopt;
        case static_cast<std::uint8_t>(ControlCode::kGetAtr):
            return card_.Atr();
        default:
            return card_.Answer(payload);
    }
}

}  // namespace kestrova::sim::vicc
