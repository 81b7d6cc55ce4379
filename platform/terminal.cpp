#include "platform/terminal.h"

#include <unistd.h>

namespace kestrova::platform {

bool IsTerminal(int fd) {
    return isatty(fd) == 1;
}

}  // namespace kestrova::platform
