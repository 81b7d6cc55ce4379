#pragma once

// Caller-made command bytes sent to the card unchanged, the raw response
// returned: no Le is added and no chaining status word is followed.

#include <cstddef>
#include <cstdint>

namespace kestrova {

// The raw response buffer must hold this many bytes.
inline constexpr std::size_t kRawResponseSize = 65535;

// Sends commandLength bytes and receives into `response`, status word
// included. responseDataLength receives the number
// of bytes before the status word, and is written only when the response is
// longer than two bytes. Returns 0 (90 00), the card's status word, -1
// (unbound, or a negative command length: nothing is sent), 9 (bad slot), kResultNoStatusWord
// (fewer than two bytes) or the service's code.
std::int32_t TransmitRaw(std::int32_t slotNumber, std::int32_t commandLength,
                         const std::uint8_t* command, std::int32_t& responseDataLength,
                         std::uint8_t* response);

}  // namespace kestrova
