#pragma once

// The system's ANSI code page (950, Big5) and the UTF-16 of automation
// strings. Conversion happens once, at the automation boundary.

#include <string>
#include <string_view>

namespace kestrova::platform {

// UTF-16 to code page 950 bytes. Characters the code page lacks become '?',
// as the platform's default character.
std::string Utf16ToAnsi(std::u16string_view text);

// Code page 950 bytes to UTF-16. Bytes that do not form a character map to
// U+FFFD, one per undecodable byte.
std::u16string AnsiToUtf16(std::string_view text);

}  // namespace kestrova::platform
