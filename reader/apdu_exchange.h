#pragma once

// One command to the card of a connected slot, built from its header, data
// and expected length, with the card's response chaining followed: 61XX
// fetches the response with GET RESPONSE, 6CXX resends with the length the
// card asked for.

#include <cstddef>
#include <cstdint>

namespace kestrova {

// The response buffer must hold this many bytes.
inline constexpr std::size_t kResponseDataSize = 256;

// A card answering 6CXX is asked again at most this many times for one
// command; the status word of the last answer is then the result.
inline constexpr int kMaxLengthResends = 3;

// Sends CLA INS P1 P2 [Lc data] [Le] on the slot's protocol.
//
// lengthByte, when given, carries Le in (0 means 256) and the number of
// response data bytes out, modulo 256; after a 61XX fetch it holds the bytes
// fetched. Without it no Le is ever sent. A status word alone with no fetch
// leaves it as the caller set it. Under T=0 a command with data carries no
// Le (the card answers 61XX and the fetch follows); under T=1 it does,
// except on a resend.
//
// responseByteCount, when given, receives the true number of data bytes
// written to `response` (0..256), which the length byte cannot tell apart
// for 0 and 256.
//
// Returns 0 (90 00, or a completed fetch), the card's status word, 9 (bad
// slot), -1 (unbound, or data arrived without a length byte reference),
// kResultNoStatusWord (an answer shorter than two bytes), or the service's
// code. A fetch whose GET RESPONSE delivers no data returns its status word.
std::int32_t TransmitApdu(std::int32_t slotNumber, std::uint8_t cla, std::uint8_t ins,
                          std::uint8_t p1, std::uint8_t p2, std::uint8_t lc,
                          std::uint8_t* lengthByte, const std::uint8_t* data,
                          std::uint8_t* response, std::int32_t* responseByteCount = nullptr);

// The status word SW1 x 256 + SW2 as a result: 90 00 is 0.
std::int32_t StatusWordResult(std::uint8_t sw1, std::uint8_t sw2);

}  // namespace kestrova
