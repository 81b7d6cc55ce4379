#pragma once

// Opens a file a user named for reading, and says why when it cannot.

#include <fstream>
#include <optional>
#include <string>

namespace kestrova::host {

// Opens `path` into `file`; on failure the system's reason ("No such file or
// directory", "Permission denied", "Is a directory").
std::optional<std::string> OpenInputFile(const std::string& path, std::ifstream& file);

}  // namespace kestrova::host
