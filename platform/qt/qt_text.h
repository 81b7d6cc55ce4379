#pragma once

// The control's strings are code page 950 bytes; Qt draws UTF-16.

#include <QString>
#include <string_view>

namespace kestrova::platform {

QString FromAnsi(std::string_view text);

}  // namespace kestrova::platform
