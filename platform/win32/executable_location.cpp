#include "platform/executable_location.h"

#include <windows.h>

#include <array>

namespace kestrova::platform {

std::string ExecutableDirectory() {
    std::array<char, MAX_PATH + 1> path{};
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), MAX_PATH);
    // A full buffer means the path was cut short.
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    std::string file(path.data(), length);
    const std::size_t separator = file.find_last_of("\\/");
    if (separator == std::string::npos) {
        return {};
    }
    file.resize(separator);
    return file;
}

}  // namespace kestrova::platform
