#include "platform/code_page.h"

#include <errno.h>
#include <iconv.h>

#include <bit>
#include <cstddef>
#include <cstring>

namespace kestrova::platform {
namespace {

constexpr const char* kAnsiCodePage = "CP950";
constexpr const char* kUtf16Native =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

constexpr char kAnsiDefaultCharacter = '?';
constexpr char16_t kReplacementCharacter = u'\uFFFD';

// One conversion direction; closed when the conversion is done.
class Converter {
  public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (IsOpen()) {
            iconv_close(handle_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool IsOpen() const {
        // iconv_open's documented failure value.
        return handle_ != reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)
    }

    // Converts as much of [in, in + inLeft) as it can into out, advancing both.
    // Returns 0 when all input was taken, else the errno iconv stopped with.
    int Convert(const char*& in, std::size_t& inLeft, std::string& out) {
        while (inLeft > 0) {
            char buffer[256];
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            // iconv's prototype takes char** for the input though it never
            // writes through it.
            char* inPtr = const_cast<char*>(in);
            const std::size_t result = iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft);
            const int error = result == static_cast<std::size_t>(-1) ? errno : 0;
            in = inPtr;
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (error != 0 && error != E2BIG) {
                iconv(handle_, nullptr, nullptr, nullptr, nullptr);
                return error;
            }
        }
        return 0;
    }

  private:
    iconv_t handle_;
};

// Without the code page's converter (a system lacking the conversion module)
// only ASCII, which every code page shares, survives.
bool IsAscii(char byte) {
    return static_cast<unsigned char>(byte) < 0x80;
}

std::size_t Utf16UnitsOfCharacterAt(std::u16string_view text, std::size_t index) {
    const char16_t unit = text[index];
    const bool highSurrogate = unit >= 0xD800 && unit <= 0xDBFF;
    if (highSurrogate && index + 1 < text.size() && text[index + 1] >= 0xDC00 &&
        text[index + 1] <= 0xDFFF) {
        return 2;
    }
    return 1;
}

}  // namespace

std::string Utf16ToAnsi(std::u16string_view text) {
    std::string ansi;
    Converter converter(kAnsiCodePage, kUtf16Native);
    if (!converter.IsOpen()) {
        for (const char16_t unit : text) {
            ansi.push_back(unit < 0x80 ? static_cast<char>(unit) : kAnsiDefaultCharacter);
        }
        return ansi;
    }
    const char* const begin = reinterpret_cast<const char*>(text.data());
    const char* in = begin;
    std::size_t inLeft = text.size() * sizeof(char16_t);
    while (inLeft > 0) {
        if (converter.Convert(in, inLeft, ansi) == 0) {
            break;
        }
        // A character the code page lacks, or a lone surrogate: one default
        // character stands for it.
        const std::size_t index = static_cast<std::size_t>(in - begin) / sizeof(char16_t);
        const std::size_t skipped = Utf16UnitsOfCharacterAt(text, index) * sizeof(char16_t);
        ansi.push_back(kAnsiDefaultCharacter);
        in += skipped;
        inLeft -= skipped;
    }
    return ansi;
}

std::u16string AnsiToUtf16(std::string_view text) {
    Converter converter(kUtf16Native, kAnsiCodePage);
    if (!converter.IsOpen()) {
        std::u16string wide;
        for (const char byte : text) {
            wide.push_back(IsAscii(byte) ? static_cast<char16_t>(byte) : kReplacementCharacter);
        }
        return wide;
    }
    std::string utf16Bytes;
    const char* in = text.data();
    std::size_t inLeft = text.size();
    while (inLeft > 0) {
        if (converter.Convert(in, inLeft, utf16Bytes) == 0) {
            break;
        }
        // An invalid or incomplete byte sequence: one replacement per byte,
        // then go on with the next byte, which may start a character.
        char replacement[sizeof(char16_t)];
        std::memcpy(replacement, &kReplacementCharacter, sizeof replacement);
        utf16Bytes.append(replacement, sizeof replacement);
        ++in;
        --inLeft;
    }
    std::u16string wide(utf16Bytes.size() / sizeof(char16_t), u'\0');
    std::memcpy(wide.data(), utf16Bytes.data(), wide.size() * sizeof(char16_t));
    return wide;
}

}  // namespace kestrova::platform
