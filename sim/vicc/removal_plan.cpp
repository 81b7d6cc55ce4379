#include "sim/vicc/removal_plan.h"

#include <algorithm>
#include <charconv>

#include "platform/ascii_text.h"

namespace kestrova::sim::vicc {
namespace {

constexpr int kMaxCount = 1000;

}  // namespace

std::variant<RemovalPlan, std::string> RemovalPlan::Parse(std::string_view arguments) {
    const std::size_t space = arguments.find(' ');
    const std::string_view hex = arguments.substr(0, space);
    std::string_view count =
        space == std::string_view::npos ? std::string_view() : arguments.substr(space + 1);
    RemovalPlan plan;
    if (hex.empty() || hex.size() % 2 != 0 || hex.size() > std::size_t{2} * 16) {
        return std::string("remove-after-command takes 1 to 16 bytes in hex");
    }
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = platform::HexDigitValue(hex[i]);
        const int low = platform::HexDigitValue(hex[i + 1]);
        if (high < 0 || low < 0) {
            return std::string("remove-after-command takes 1 to 16 bytes in hex");
        }
        plan.prefix_.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    if (!count.empty()) {
        const auto [end, error] =
            std::from_chars(count.data(), count.data() + count.size(), plan.remaining_);
        if (error != std::errc{} || end != count.data() + count.size() || plan.remaining_ < 1 ||
            plan.remaining_ > kMaxCount) {
            return "the count of remove-after-command must be a number from 1 to " +
                   std::to_string(kMaxCount);
        }
    }
    return plan;
}

bool RemovalPlan::CountsDown(const Bytes& command) {
    if (command.size() < prefix_.size() ||
        !std::equal(prefix_.begin(), prefix_.end(), command.begin())) {
        return false;
    }
    return --remaining_ == 0;
}

}  // namespace kestrova::sim::vicc
