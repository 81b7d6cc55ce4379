#include <windows.h>

#include "platform/pause.h"

namespace kestrova::platform {

void SleepFor(std::uint32_t milliseconds) {
    Sleep(milliseconds);
}

}  // namespace kestrova::platform
