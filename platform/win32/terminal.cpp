#include "platform/terminal.h"

#include <io.h>

namespace kestrova::platform {

bool IsTerminal(int fd) {
    return _isatty(fd) != 0;
}

}  // namespace kestrova::platform
