#include "control/unicode_text.h"

namespace kestrova {

bool IsSurrogate(char32_t codePoint) {
    return codePoint >= 0xD800 && codePoint <= 0xDFFF;
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint > 0x10FFFF || IsSurrogate(codePoint)) {
        codePoint = kReplacementCharacter;
    }
    const auto byte = [](char32_t bits) { return static_cast<char>(bits); };
    if (codePoint < 0x80) {
        out.push_back(byte(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(byte(0xC0 | (codePoint >> 6)));
        out.push_back(byte(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(byte(0xE0 | (codePoint >> 12)));
        out.push_back(byte(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(byte(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(byte(0xF0 | (codePoint >> 18)));
        out.push_back(byte(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(byte(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(byte(0x80 | (codePoint & 0x3F)));
    }
}

void AppendUtf16(std::u16string& out, char32_t codePoint) {
    if (codePoint < 0x10000) {
        out.push_back(static_cast<char16_t>(codePoint));
        return;
    }
    const char32_t offset = codePoint - 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
}

Utf16Character Utf16CharacterAt(std::u16string_view text, std::size_t index) {
    const char32_t unit = text[index];
    if (unit >= 0xD800 && unit <= 0xDBFF && index + 1 < text.size()) {
        const char32_t next = text[index + 1];
        if (next >= 0xDC00 && next <= 0xDFFF) {
            return {0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00), 2};
        }
    }
    return {unit, 1};
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string utf8;
    utf8.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Utf16Character character = Utf16CharacterAt(text, i);
        AppendUtf8(utf8, character.codePoint);
        i += character.units;
    }
    return utf8;
}

std::optional<Utf8Character> Utf8CharacterAt(std::string_view text, std::size_t index) {
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byteAt(index);
    std::size_t length = 0;
    char32_t codePoint = 0;
    char32_t smallest = 0;
    if (lead < 0x80) {
        return Utf8Character{lead, 1};
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        codePoint = lead & 0x1FU;
        smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        codePoint = lead & 0x0FU;
        smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        codePoint = lead & 0x07U;
        smallest = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() - index < length) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char continuation = byteAt(index + i);
        if ((continuation & 0xC0) != 0x80) {
            return std::nullopt;
        }
        codePoint = (codePoint << 6) | (continuation & 0x3FU);
    }
    if (codePoint < smallest || codePoint > 0x10FFFF || IsSurrogate(codePoint)) {
        return std::nullopt;
    }
    return Utf8Character{codePoint, length};
}

std::optional<std::u16string> Utf8ToUtf16(std::string_view text) {
    std::u16string utf16;
    utf16.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::optional<Utf8Character> character = Utf8CharacterAt(text, i);
        if (!character) {
            return std::nullopt;
        }
        AppendUtf16(utf16, character->codePoint);
        i += character->bytes;
    }
    return utf16;
}

}  // namespace kestrova
