#include "reader/atr_text.h"

#include <algorithm>

namespace kestrova {

std::int32_t WriteAtrText(const AtrBuffer& atr, std::int32_t length, AtrText& text) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::size_t count =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)), atr.size());
    for (std::size_t i = 0; i < count; ++i) {
        text[2 * i] = kDigits[atr[i] >> 4];
        text[2 * i + 1] = kDigits[atr[i] & 0x0F];
    }
    return static_cast<std::int32_t>(2 * count);
}

}  // namespace kestrova
