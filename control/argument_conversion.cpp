#include "control/argument_conversion.h"

#include <limits>
#include <string_view>

#include "control/unicode_text.h"

namespace kestrova {
namespace {

// Messages quote the argument; a long one is cut.
constexpr std::size_t kQuotedCharacters = 40;

std::string Quoted(std::u16string_view text) {
    // Appended, not prefixed with operator+: GCC 12's optimiser warns falsely
    // of an overlapping copy there.
    std::string quoted = "\"";
    quoted += Utf16ToUtf8(text.substr(0, kQuotedCharacters));
    quoted += text.size() > kQuotedCharacters ? "...\"" : "\"";
    return quoted;
}

bool IsBlank(char16_t unit) {
    return unit == u' ' || unit == u'\t';
}

std::u16string DecimalText(std::int32_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::variant<std::int32_t, ConversionFailure> ConvertToLong(const AutomationValue& value) {
    if (value.IsLong()) {
        return value.AsLong();
    }
    const Bstr& string = value.AsBstr();
    if (string.IsNull()) {
        return ConversionFailure{AutomationErrorCode::TypeMismatch, "null is not a number"};
    }
    std::u16string_view text = string.Text();
    const ConversionFailure notANumber{AutomationErrorCode::TypeMismatch,
                                       Quoted(text) + " is not a decimal number"};
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    const bool negative = !text.empty() && text.front() == u'-';
    if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return notANumber;
    }
    // Magnitude up to 2^31, the largest any 32-bit value has; beyond it only
    // the digits are still checked.
    constexpr std::int64_t kLimit = std::int64_t{1} << 31;
    std::int64_t magnitude = 0;
    bool tooLarge = false;
    for (const char16_t unit : text) {
        if (unit < u'0' || unit > u'9') {
            return notANumber;
        }
        magnitude = magnitude * 10 + (unit - u'0');
        if (magnitude > kLimit) {
            tooLarge = true;
            magnitude = kLimit + 1;
        }
    }
    const std::int64_t number = negative ? -magnitude : magnitude;
    if (tooLarge || number > std::numeric_limits<std::int32_t>::max()) {
        return ConversionFailure{AutomationErrorCode::Overflow,
                                 Quoted(string.Text()) + " is outside the 32-bit range"};
    }
    return static_cast<std::int32_t>(number);
}

Bstr ConvertToBstr(const AutomationValue& value) {
    if (value.IsLong()) {
        return Bstr(DecimalText(value.AsLong()));
    }
    return value.AsBstr();
}

}  // namespace kestrova
