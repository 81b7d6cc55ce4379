#include <errno.h>
#include <time.h>

#include "platform/pause.h"

namespace kestrova::platform {

void SleepFor(std::uint32_t milliseconds) {
    timespec remaining{};
    remaining.tv_sec = static_cast<time_t>(milliseconds / 1000U);
    remaining.tv_nsec = static_cast<long>(milliseconds % 1000U) * 1000000L;
    // A signal cuts nanosleep short; the rest is slept so the pause is whole.
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

}  // namespace kestrova::platform
