#pragma once

// Overwriting secrets (PIN texts, PIN blocks, keys, commands that carried
// them) so that they do not linger in memory after use.

#include <cstddef>

namespace kestrova::platform {

// Writes zero over `count` bytes through a volatile pointer, so the writes
// stay even when the memory is never read again.
void WipeBytes(void* bytes, std::size_t count);

template <typename Buffer>
void WipeBuffer(Buffer& buffer) {
    WipeBytes(buffer.data(), buffer.size() * sizeof(buffer[0]));
}

// Wipes a buffer however the scope that uses it is left.
template <typename Buffer>
class WipeOnExit {
  public:
    explicit WipeOnExit(Buffer& buffer) : buffer_(buffer) {}
    ~WipeOnExit() { WipeBuffer(buffer_); }
    WipeOnExit(const WipeOnExit&) = delete;
    WipeOnExit& operator=(const WipeOnExit&) = delete;

  private:
    Buffer& buffer_;
};

}  // namespace kestrova::platform
