#pragma once

// The items of the confirmation window's tagged message: "<TagN>text</TagN>",
// tag names matched without regard to letter case.

#include <array>
#include <cstddef>
#include <string_view>

namespace kestrova {

inline constexpr std::size_t kTagTextSize = 128;
using TagText = std::array<char, kTagTextSize>;

// Copies the text of every item that opens with `openTag` and closes with
// `closeTag` into `text`: a later item replaces an earlier one whole, and a
// text longer than 127 bytes is cut there (before a double-byte character
// that would be split), so `text` always stays terminated. An opening tag
// without a closing tag ends the scan.
void ExtractTag(std::string_view message, std::string_view openTag, std::string_view closeTag,
                TagText& text);

}  // namespace kestrova
