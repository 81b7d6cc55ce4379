#include "platform/console_text.h"

#include "platform/code_page.h"

namespace kestrova::platform {
namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

void AppendUtf8(char32_t codePoint, std::string& out) {
    auto byte = [](char32_t value) { return static_cast<char>(static_cast<unsigned char>(value)); };
    if (codePoint < 0x80) {
        out += byte(codePoint);
    } else if (codePoint < 0x800) {
        out += byte(0xC0 | (codePoint >> 6));
        out += byte(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += byte(0xE0 | (codePoint >> 12));
        out += byte(0x80 | ((codePoint >> 6) & 0x3F));
        out += byte(0x80 | (codePoint & 0x3F));
    } else {
        out += byte(0xF0 | (codePoint >> 18));
        out += byte(0x80 | ((codePoint >> 12) & 0x3F));
        out += byte(0x80 | ((codePoint >> 6) & 0x3F));
        out += byte(0x80 | (codePoint & 0x3F));
    }
}

// Controls from a page (an escape sequence, a carriage return) would reach the
// terminal as commands; each is shown as U+FFFD instead.
bool IsControl(char16_t unit) {
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F);
}

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Unpaired surrogates become U+FFFD so the terminal never sees invalid UTF-8.
std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            const char32_t high = unit - 0xD800u;
            const char32_t low = text[i + 1] - 0xDC00u;
            AppendUtf8(0x10000 + (high << 10) + low, out);
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit) || IsControl(unit)) {
            AppendUtf8(kReplacementCharacter, out);
        } else {
            AppendUtf8(unit, out);
        }
    }
    return out;
}

}  // namespace

std::string ConsoleText(std::string_view ansi) {
    return Utf16ToUtf8(AnsiToUtf16(ansi));
}

}  // namespace kestrova::platform
