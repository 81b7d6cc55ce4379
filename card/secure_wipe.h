#pragma once

// Overwriting secrets (PIN texts, PIN blocks, commands that carried them) so
// that they do not linger in memory after use.

#include <cstddef>

namespace kestrova {

// Writes zero over `count` bytes through a volatile pointer, so the writes
// stay even when the memory is never read again.
void WipeBytes(void* bytes, std::size_t count);

template <typename Buffer>
void WipeBuffer(Buffer& buffer) {
    WipeBytes(buffer.data(), buffer.size() * sizeof(buffer[0]));
}

}  // namespace kestrova
