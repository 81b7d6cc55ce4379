#pragma once

// Whether a file descriptor is a terminal, for hosts that decide whether a
// person is there to answer.

namespace kestrova::platform {

bool IsTerminal(int fd);

}  // namespace kestrova::platform
