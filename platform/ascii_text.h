#pragma once

// ASCII case folding, for the names and addresses compared without regard
// to case (method names, URL schemes and hosts, reader models). Bytes
// outside A-Z, code page 950 lead and trail bytes included, stay as they are.

#include <algorithm>
#include <string_view>

namespace kestrova::platform {

constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

constexpr bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace kestrova::platform
