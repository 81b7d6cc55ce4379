#include "txn/snum_tac.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "card/hex.h"

namespace kestrova {
namespace {

constexpr std::size_t kSnumOffset = 1;
constexpr std::size_t kSnumLength = 8;
constexpr std::size_t kTacOffset = 11;
constexpr std::size_t kTacLength = 8;

// The hex text of response bytes offset..offset+length-1, cut to the bytes
// present.
std::string_view ResponseBytesHex(std::string_view responseHex, std::size_t offset,
                                  std::size_t length) {
    const std::size_t start = 2 * offset;
    if (responseHex.size() <= start) {
        return {};
    }
    const std::size_t present = (responseHex.size() - start) / 2;
    return responseHex.substr(start, 2 * std::min(length, present));
}

}  // namespace

void PublishSnumTac(std::string_view responseHex, std::string& snum, std::string& tac) {
    snum.clear();
    tac.clear();
    const std::string_view snumHex = ResponseBytesHex(responseHex, kSnumOffset, kSnumLength);
    std::array<std::uint8_t, kSnumLength> snumBytes{};
    if (HexDecode(static_cast<std::int32_t>(snumHex.size()), snumHex.data(), snumBytes.data()) ==
        0) {
        const auto end = snumBytes.begin() + static_cast<std::ptrdiff_t>(snumHex.size() / 2);
        snum.assign(snumBytes.begin(), std::find(snumBytes.begin(), end, std::uint8_t{0}));
    }
    tac = ResponseBytesHex(responseHex, kTacOffset, kTacLength);
}

}  // namespace kestrova
