#pragma once

// The browsers' native messaging framing: a 4-byte length in the machine's
// byte order, then that many bytes of UTF-8 JSON.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrova::bridge {

// The most either side may send in one message.
inline constexpr std::size_t kMaxFrameBytes = 1024 * 1024;

enum class FrameStatus {
    kFrame,     // a whole message was read
    kEnd,       // end of input, a read error, or a message cut short
    kTooLarge,  // the length says more than kMaxFrameBytes; nothing more was read
};

// Reads one message from fd into `body` (replaced).
FrameStatus ReadFrame(int fd, std::string& body);

// The length prefix followed by the body; the caller keeps the body within
// kMaxFrameBytes.
std::string EncodeFrame(std::string_view body);

// Writes the whole frame; false when the other side is gone.
bool WriteFrame(int fd, std::string_view body);

}  // namespace kestrova::bridge
