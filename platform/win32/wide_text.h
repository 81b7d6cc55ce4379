#pragma once

// Code page 950 texts as the wide strings the system's W functions take.

#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace kestrova::platform {

inline std::wstring WideText(std::string_view ansi) {
    const std::u16string utf16 = AnsiToUtf16(ansi);
    return std::wstring(utf16.begin(), utf16.end());
}

}  // namespace kestrova::platform
