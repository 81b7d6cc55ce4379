#include "platform/pause.h"

namespace kestrova::platform {
namespace {

PauseFunction currentPause = &SleepFor;

}  // namespace

void Pause(std::uint32_t milliseconds) {
    currentPause(milliseconds);
}

PauseFunction ReplacePause(PauseFunction pause) {
    PauseFunction previous = currentPause;
    currentPause = pause != nullptr ? pause : &SleepFor;
    return previous;
}

}  // namespace kestrova::platform
