#include "platform/code_page.h"

#include <windows.h>

#include <array>

namespace kestrova::platform {
namespace {

constexpr UINT kAnsiCodePage = 950;
constexpr char kAnsiDefaultCharacter = '?';
constexpr wchar_t kReplacementCharacter = L'\uFFFD';

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Decodes `bytes` exactly: every byte taken, no invalid sequence. Returns
// the number of UTF-16 units written to `out`, 0 when not exact.
int DecodeExactly(const char* bytes, int count, wchar_t* out, int outSize) {
    return MultiByteToWideChar(kAnsiCodePage, MB_ERR_INVALID_CHARS, bytes, count, out, outSize);
}

// One character (one or two UTF-16 units) as code page bytes, or empty
// when the code page has no exact equivalent. The system may pick a
// look-alike even when told not to, so the bytes are decoded back and must
// give the same character.
std::string EncodeExactly(const wchar_t* units, int count) {
    std::array<char, 8> bytes{};
    BOOL usedDefault = FALSE;
    const int length =
        WideCharToMultiByte(kAnsiCodePage, WC_NO_BEST_FIT_CHARS, units, count, bytes.data(),
                            static_cast<int>(bytes.size()), nullptr, &usedDefault);
    if (length <= 0 || usedDefault) {
        return {};
    }
    std::array<wchar_t, 4> back{};
    const int backLength = DecodeExactly(bytes.data(), length, back.data(), 4);
    if (backLength != count) {
        return {};
    }
    for (int i = 0; i < count; ++i) {
        if (back[static_cast<std::size_t>(i)] != units[i]) {
            return {};
        }
    }
    return std::string(bytes.data(), static_cast<std::size_t>(length));
}

}  // namespace

std::string Utf16ToAnsi(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size();) {
        std::array<wchar_t, 2> units{static_cast<wchar_t>(text[i]), 0};
        int count = 1;
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            units[1] = static_cast<wchar_t>(text[i + 1]);
            count = 2;
        }
        const std::string bytes =
            units[0] == 0 ? std::string(1, '\0') : EncodeExactly(units.data(), count);
        out += bytes.empty() ? std::string(1, kAnsiDefaultCharacter) : bytes;
        i += static_cast<std::size_t>(count);
    }
    return out;
}

std::u16string AnsiToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::array<wchar_t, 4> units{};
        int taken = 0;
        int length = 0;
        // A lead byte with its trail first; then the byte alone.
        if (i + 1 < text.size() &&
            IsDBCSLeadByteEx(kAnsiCodePage, static_cast<BYTE>(text[i])) != FALSE) {
            length = DecodeExactly(text.data() + i, 2, units.data(), 4);
            taken = 2;
        }
        if (length <= 0) {
            length = DecodeExactly(text.data() + i, 1, units.data(), 4);
            taken = 1;
        }
        if (length <= 0) {
            out += static_cast<char16_t>(kReplacementCharacter);
        } else {
            for (int k = 0; k < length; ++k) {
                out += static_cast<char16_t>(units[static_cast<std::size_t>(k)]);
            }
        }
        i += static_cast<std::size_t>(taken);
    }
    return out;
}

}  // namespace kestrova::platform
