#include "sim/service/hex_bytes.h"

#include <cstdio>
#include <cstdlib>

#include "platform/ascii_text.h"

namespace kestrova::sim {
namespace {

[[noreturn]] void RefuseText(std::string_view text) {
    static_cast<void>(std::fprintf(stderr, "HexBytes: not hex text: \"%.*s\"\n",
                                   static_cast<int>(text.size()), text.data()));
    std::abort();
}

}  // namespace

Bytes HexBytes(std::string_view text) {
    Bytes bytes;
    int high = -1;
    for (const char character : text) {
        if (character == ' ') {
            continue;
        }
        const int value = platform::HexDigitValue(character);
        if (value < 0) {
            RefuseText(text);
        }
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + value));
            high = -1;
        }
    }
    if (high >= 0) {
        RefuseText(text);
    }
    return bytes;
}

std::string HexText(const std::uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        text.push_back(kDigits[bytes[i] >> 4]);
        text.push_back(kDigits[bytes[i] & 0x0F]);
    }
    return text;
}

std::string HexText(const Bytes& bytes) {
    return HexText(bytes.data(), bytes.size());
}

}  // namespace kestrova::sim
