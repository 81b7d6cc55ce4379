#pragma once

// The control's code page 950 texts as UTF-8 for a terminal.

#include <string>
#include <string_view>

namespace kestrova::platform {

// Bytes that do not form a character, and control characters (which a
// terminal would obey), become U+FFFD.
std::string ConsoleText(std::string_view ansi);

}  // namespace kestrova::platform
