#pragma once

// UTF-8 (hosts, messages) and UTF-16 (BSTRs), character by character.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova {

inline constexpr char32_t kReplacementCharacter = U'\uFFFD';

void AppendUtf8(std::string& out, char32_t codePoint);

// A lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Nothing for text that is not well-formed UTF-8.
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

// One character of UTF-16 text: a surrogate pair gives one code point from two
// units; a lone surrogate is returned as it is, with units 1.
struct Utf16Character {
    char32_t codePoint;
    std::size_t units;
};
Utf16Character Utf16CharacterAt(std::u16string_view text, std::size_t index);

bool IsSurrogate(char32_t codePoint);

// Decodes one UTF-8 sequence at index; nothing for a malformed one (overlong,
// surrogate, beyond U+10FFFF, truncated).
struct Utf8Character {
    char32_t codePoint;
    std::size_t bytes;
};
std::optional<Utf8Character> Utf8CharacterAt(std::string_view text, std::size_t index);

void AppendUtf16(std::u16string& out, char32_t codePoint);

}  // namespace kestrova
