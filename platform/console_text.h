#pragma once

// The control's code page 950 texts as UTF-8 for a terminal.

#include <string>
#include <string_view>

namespace kestrova::platform {

// Bytes that do not form a character become U+FFFD, so the terminal never
// sees invalid UTF-8.
std::string ConsoleText(std::string_view ansi);

}  // namespace kestrova::platform
