#include "txn/tag_extraction.h"

#include <algorithm>

#include "platform/ascii_text.h"

namespace kestrova {
namespace {

bool TagAt(std::string_view message, std::size_t position, std::string_view tag) {
    if (tag.empty() || message.size() - position < tag.size()) {
        return false;
    }
    return platform::EqualsIgnoringAsciiCase(message.substr(position, tag.size()), tag);
}

// The longest start of `text` within `limit` bytes that does not end inside
// a double-byte character of code page 950 (lead bytes 0x81..0xFE).
std::size_t WholeCharacters(std::string_view text, std::size_t limit) {
    std::size_t length = 0;
    while (length < text.size()) {
        const auto lead = static_cast<unsigned char>(text[length]);
        const std::size_t width = (lead >= 0x81 && lead <= 0xFE) ? 2 : 1;
        if (length + width > limit) {
            break;
        }
        length += width;
    }
    return std::min(length, text.size());
}

}  // namespace

void ExtractTag(std::string_view message, std::string_view openTag, std::string_view closeTag,
                TagText& text) {
    std::size_t position = 0;
    while (position < message.size()) {
        if (!TagAt(message, position, openTag)) {
            ++position;
            continue;
        }
        const std::size_t textStart = position + openTag.size();
        std::size_t closeAt = textStart;
        while (closeAt < message.size() && !TagAt(message, closeAt, closeTag)) {
            ++closeAt;
        }
        if (closeAt >= message.size()) {
            return;
        }
        const std::size_t length =
            WholeCharacters(message.substr(textStart, closeAt - textStart), kTagTextSize - 1);
        text.fill('\0');
        std::copy_n(message.begin() + static_cast<std::ptrdiff_t>(textStart), length, text.begin());
        position = closeAt;
    }
}

}  // namespace kestrova
