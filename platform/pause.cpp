#include "platform/pause.h"

#include <errno.h>
#include <time.h>

namespace kestrova::platform {
namespace {

PauseFunction currentPause = &SleepFor;

}  // namespace

void SleepFor(std::uint32_t milliseconds) {
    timespec remaining{};
    remaining.tv_sec = static_cast<time_t>(milliseconds / 1000U);
    remaining.tv_nsec = static_cast<long>(milliseconds % 1000U) * 1000000L;
    // A signal cuts nanosleep short; the rest is slept so the pause is whole.
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

void Pause(std::uint32_t milliseconds) {
    currentPause(milliseconds);
}

PauseFunction ReplacePause(PauseFunction pause) {
    PauseFunction previous = currentPause;
    currentPause = pause != nullptr ? pause : &SleepFor;
    return previous;
}

}  // namespace kestrova::platform
