#pragma once

// The fixed pauses of the reader handling. The pause is process-wide and
// replaceable, so tests can record pauses instead of sleeping.

#include <cstdint>

namespace kestrova::platform {

using PauseFunction = void (*)(std::uint32_t milliseconds);

// Blocks the calling thread for the given time through the current pause
// function.
void Pause(std::uint32_t milliseconds);

// Makes `pause` the process-wide pause function and returns the one it
// replaces; null restores the sleeping one.
PauseFunction ReplacePause(PauseFunction pause);

// The pause that really sleeps.
void SleepFor(std::uint32_t milliseconds);

}  // namespace kestrova::platform
