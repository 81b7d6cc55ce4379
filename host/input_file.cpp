#include "host/input_file.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace kestrova::host {

std::optional<std::string> OpenInputFile(const std::string& path, std::ifstream& file) {
    // A folder opens as a file on Linux and then reads as nothing at all.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        return std::generic_category().message(EISDIR);
    }
    errno = 0;
    file.open(path, std::ios::binary);
    if (file) {
        return std::nullopt;
    }
    const int reason = errno;
    return reason != 0 ? std::generic_category().message(reason) : std::string("cannot be read");
}

}  // namespace kestrova::host
