// The confirmation window's tagged message comes from the bank's page. Every
// tag's text must stay terminated within its 128-byte field and be a piece of
// the message, whatever the page sends.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "txn/tag_extraction.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string message(reinterpret_cast<const char*>(data), size);
    for (int n = 1; n <= 10; ++n) {
        kestrova::TagText text{};
        kestrova::ExtractTag(message, "<Tag" + std::to_string(n) + ">",
                             "</Tag" + std::to_string(n) + ">", text);
        const auto end = std::find(text.begin(), text.end(), '\0');
        if (end == text.end()) {
            std::abort();
        }
        const std::string_view found(text.data(), static_cast<std::size_t>(end - text.begin()));
        if (!found.empty() && message.find(found) == std::string::npos) {
            std::abort();
        }
    }
    return 0;
}
