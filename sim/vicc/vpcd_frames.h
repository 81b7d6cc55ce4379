#pragma once

// The frames of vpcd's TCP connection: a 2-byte big-endian length, then that
// many bytes of payload. A 1-byte payload 00, 01, 02 or 04 from vpcd is a
// control code, any other payload a command for the card.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "sim/service/simulated_card.h"

namespace kestrova::sim::vicc {

inline constexpr std::size_t kMaxFramePayload = 0xFFFF;

enum class ControlCode : std::uint8_t {
    kPowerOff = 0,
    kPowerOn = 1,
    kReset = 2,
    kGetAtr = 4,
};

// None for a payload longer than a frame can carry.
std::optional<Bytes> EncodeFrame(const Bytes& payload);

// Collects the bytes read from the connection and hands out whole frames.
class FrameReader {
  public:
    void Append(const std::uint8_t* bytes, std::size_t count);
    // The next whole payload, if one has arrived.
    std::optional<Bytes> Next();

  private:
    Bytes buffer_;
};

}  // namespace kestrova::sim::vicc
