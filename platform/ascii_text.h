#pragma once

// ASCII character classes and case folding, for the names, addresses and hex
// texts read without regard to the locale (method names, URL schemes and
// hosts, reader models). Bytes outside ASCII, code page 950 lead and trail
// bytes included, are in no class and keep their case.

#include <algorithm>
#include <string_view>

namespace kestrova::platform {

constexpr bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr bool IsAsciiAlpha(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// 0..15 for a hex digit of either case, else -1.
constexpr int HexDigitValue(char c) {
    if (IsAsciiDigit(c)) {
        return c - '0';
    }
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

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
