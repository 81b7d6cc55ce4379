#include "sim/vicc/vicc_session.h"

#include "sim/vicc/vpcd_frames.h"

namespace kestrova::sim::vicc {

std::optional<Bytes> ViccSession::OnFrame(const Bytes& payload) {
    if (payload.empty()) {
        return std::nullopt;
    }
    if (payload.size() > 1) {
        return card_.Answer(payload);
    }
    switch (static_cast<ControlCode>(payload[0])) {
        case ControlCode::kPowerOff:
            powered_ = false;
            return std::nullopt;
        case ControlCode::kPowerOn:
        case ControlCode::kReset:
            // The card's security state ends with its power, as a real card's.
            card_.Reset();
            powered_ = true;
            return std::nullopt;
        case ControlCode::kGetAtr:
            return card_.Atr();
    }
    // vpcd sends no other codes; an unknown one gets no answer.
    return std::nullopt;
}

}  // namespace kestrova::sim::vicc
