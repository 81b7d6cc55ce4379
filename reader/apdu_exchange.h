#pragma once

// One command to the card of a connected slot, built from its header, data
// and expected length, with the card's response chaining followed: 61XX
// fetches the response with GET RESPONSE, 6CXX resends with the length the
// card asked for.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kestrova {

// The response buffer must hold this many bytes.
inline constexpr std::size_t kResponseDataSize = 256;

// A card answering 6CXX is asked again at most this many times for one
// command; the status word of the last answer is then the result.
inline constexpr int kMaxLengthResends = 3;

// A command to the card: its header, data (Lc is their count, at most 255)
// and, when given, the expected length Le (0 asks for up to 256 bytes).
// Without Le none is ever sent, and data in the answer is a failure.
struct CardCommand {
    std::uint8_t cla = 0;
    std::uint8_t ins = 0;
    std::uint8_t p1 = 0;
    std::uint8_t p2 = 0;
    std::span<const std::uint8_t> data{};
    std::optional<std::uint8_t> le{};
};

using ResponseBuffer = std::array<std::uint8_t, kResponseDataSize>;

// The card's answer: its data bytes and their true count (0..256).
struct CardResponse {
    ResponseBuffer data{};
    std::int32_t length = 0;
};

// Sends the command on the slot's protocol. Under T=0 a command with data
// carries no Le (the card answers 61XX and the fetch follows); under T=1 it
// does, except on a resend. Returns 0 (90 00, or a completed fetch), the
// card's status word, 9 (bad slot), -1 (unbound, or data arrived for a
// command without Le), kResultNoStatusWord (an answer shorter than two
// bytes), or the service's code. A fetch whose GET RESPONSE delivers no data
// returns its status word.
std::int32_t ExchangeCommand(std::int32_t slotNumber, const CardCommand& command,
                             CardResponse& response);

// The status word SW1 x 256 + SW2 as a result: 90 00 is 0.
std::int32_t StatusWordResult(std::uint8_t sw1, std::uint8_t sw2);

}  // namespace kestrova
