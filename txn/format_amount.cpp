#include "txn/format_amount.h"

#include <charconv>
#include <cmath>
#include <string>

#include "platform/ascii_text.h"

namespace kestrova {
namespace {

bool IsSpace(char character) {
    return character == ' ' || (character >= '\t' && character <= '\r');
}

std::size_t SkipDigits(std::string_view text, std::size_t at) {
    while (at < text.size() && platform::IsAsciiDigit(text[at])) {
        ++at;
    }
    return at;
}

// The number at the start of `text` in the form a C decimal conversion
// reads, without the leading white space and a plus sign (which from_chars
// does not take): empty when there is none. Infinity, NaN and hexadecimal
// forms are not amounts and read as no number.
std::string LeadingDecimalNumber(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && IsSpace(text[at])) {
        ++at;
    }
    std::string number;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        if (text[at] == '-') {
            number += '-';
        }
        ++at;
    }
    const std::size_t mantissaStart = at;
    std::size_t end = SkipDigits(text, at);
    bool hasDigits = end > mantissaStart;
    if (end < text.size() && text[end] == '.') {
        const std::size_t fractionEnd = SkipDigits(text, end + 1);
        hasDigits = hasDigits || fractionEnd > end + 1;
        end = fractionEnd;
    }
    if (!hasDigits) {
        return {};
    }
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            ++exponent;
        }
        const std::size_t exponentEnd = SkipDigits(text, exponent);
        if (exponentEnd > exponent) {
            end = exponentEnd;
        }
    }
    number.append(text.substr(mantissaStart, end - mantissaStart));
    return number;
}

bool HasNegativeExponent(std::string_view number) {
    return number.find("e-") != std::string_view::npos ||
           number.find("E-") != std::string_view::npos;
}

}  // namespace

std::optional<RowValue> FormatAmount(std::string_view amountCharacters) {
    const std::string_view amount = amountCharacters.substr(0, kAmountLength);
    // The field is read as text: a zero byte ends it.
    const std::string number = LeadingDecimalNumber(amount.substr(0, amount.find('\0')));
    double value = 0.0;
    if (!number.empty()) {
        const auto parsed = std::from_chars(number.data(), number.data() + number.size(), value);
        if (parsed.ec == std::errc::result_out_of_range && HasNegativeExponent(number)) {
            value = 0.0;  // too small for a double: as good as nothing
        } else if (parsed.ec != std::errc{}) {
            return std::nullopt;  // too large for a double
        }
    }
    value *= 0.01;
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    RowValue text{};
    // Room for 19 characters; the last byte stays the terminator.
    const auto written = std::to_chars(text.data(), text.data() + text.size() - 1, value,
                                       std::chars_format::fixed, 2);
    if (written.ec != std::errc{}) {
        return std::nullopt;
    }
    return text;
}

}  // namespace kestrova
