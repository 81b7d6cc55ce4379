#include "platform/executable_location.h"

#include <unistd.h>

#include <array>

namespace kestrova::platform {

std::string ExecutableDirectory() {
    std::array<char, 4096> path{};
    // readlink does not terminate the text; a result that fills the buffer may
    // have been cut short.
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) {
        return {};
    }
    std::string file(path.data(), static_cast<std::size_t>(length));
    const std::size_t slash = file.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    file.resize(slash == 0 ? 1 : slash);
    return file;
}

}  // namespace kestrova::platform
