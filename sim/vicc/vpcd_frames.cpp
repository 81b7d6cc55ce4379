#include "sim/vicc/vpcd_frames.h"

namespace kestrova::sim::vicc {
namespace {

constexpr std::size_t kLengthBytes = 2;

}  // namespace

std::optional<Bytes> EncodeFrame(const Bytes& payload) {
    if (payload.size() > kMaxFramePayload) {
        return std::nullopt;
    }
    Bytes frame;
    frame.reserve(payload.size() + kLengthBytes);
    frame.push_back(static_cast<std::uint8_t>(payload.size() >> 8));
    frame.push_back(static_cast<std::uint8_t>(payload.size() & 0xFF));
    frame.insert(frame.end(), payload.begin(), payload.end());
    return frame;
}

void FrameReader::Append(const std::uint8_t* bytes, std::size_t count) {
    buffer_.insert(buffer_.end(), bytes, bytes + count);
}

std::optional<Bytes> FrameReader::Next() {
    if (buffer_.size() < kLengthBytes) {
        return std::nullopt;
    }
    const std::size_t length = static_cast<std::size_t>(buffer_[0] << 8) | buffer_[1];
    if (buffer_.size() < kLengthBytes + length) {
        return std::nullopt;
    }
    const auto first = buffer_.begin() + kLengthBytes;
    const auto last = first + static_cast<std::ptrdiff_t>(length);
    Bytes payload(first, last);
    buffer_.erase(buffer_.begin(), last);
    return payload;
}

}  // namespace kestrova::sim::vicc
