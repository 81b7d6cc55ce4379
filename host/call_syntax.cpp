#include "host/call_syntax.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

#include "control/unicode_text.h"
#include "platform/ascii_text.h"

namespace kestrova::host {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return platform::IsAsciiDigit(c);
}
bool IsNameStart(char c) {
    return platform::IsAsciiAlpha(c) || c == '_';
}
bool IsNameCharacter(char c) {
    return IsNameStart(c) || IsDigit(c);
}

std::optional<std::uint32_t> HexValue(char c) {
    const int value = platform::HexDigitValue(c);
    return value < 0 ? std::nullopt : std::optional(static_cast<std::uint32_t>(value));
}

// A cursor over the line that records the first error.
class LineParser {
  public:
    explicit LineParser(std::string_view line) : line_(line) {}

    ParsedLine Parse() {
        SkipBlanks();
        if (AtEnd() || Peek() == '#') {
            return NoCall{};
        }
        ParsedCall call;
        if (!IsNameStart(Peek())) {
            return Error("expected a method name");
        }
        while (!AtEnd() && IsNameCharacter(Peek())) {
            call.methodName.push_back(line_[position_++]);
        }
        SkipBlanks();
        if (!Accept('(')) {
            return Error("expected '(' after the method name");
        }
        SkipBlanks();
        if (!Accept(')')) {
            while (true) {
                SkipBlanks();
                std::optional<AutomationValue> argument = ParseArgument();
                if (!argument) {
                    return *error_;
                }
                call.arguments.push_back(std::move(*argument));
                SkipBlanks();
                if (Accept(')')) {
                    break;
                }
                if (!Accept(',')) {
                    return Error("expected ',' or ')' after an argument");
                }
            }
        }
        SkipBlanks();
        if (!AtEnd() && Peek() != '#') {
            return Error("unexpected text after the call");
        }
        return call;
    }

  private:
    bool AtEnd() const { return position_ >= line_.size(); }
    char Peek() const { return line_[position_]; }
    bool Accept(char c) {
        if (!AtEnd() && Peek() == c) {
            ++position_;
            return true;
        }
        return false;
    }
    void SkipBlanks() {
        while (!AtEnd() && IsBlank(Peek())) {
            ++position_;
        }
    }

    SyntaxError Error(std::string message) { return Error(position_, std::move(message)); }
    SyntaxError Error(std::size_t at, std::string message) {
        error_ = SyntaxError{at + 1, std::move(message)};
        return *error_;
    }

    std::optional<AutomationValue> ParseArgument() {
        if (AtEnd()) {
            Error("expected an argument");
            return std::nullopt;
        }
        if (Peek() == '"') {
            return ParseString();
        }
        if (Peek() == '-' || IsDigit(Peek())) {
            return ParseInteger();
        }
        if (line_.substr(position_, 4) == "null" &&
            (position_ + 4 == line_.size() || !IsNameCharacter(line_[position_ + 4]))) {
            position_ += 4;
            return AutomationValue::NullString();
        }
        Error("expected an integer, a string in double quotes or null");
        return std::nullopt;
    }

    std::optional<AutomationValue> ParseInteger() {
        const std::size_t start = position_;
        const bool negative = Accept('-');
        std::uint32_t base = 10;
        if (line_.substr(position_, 2) == "0x" || line_.substr(position_, 2) == "0X") {
            base = 16;
            position_ += 2;
        }
        const std::size_t digitsStart = position_;
        std::int64_t magnitude = 0;
        constexpr std::int64_t kLargest = std::int64_t{1} << 31;
        bool tooLarge = false;
        while (!AtEnd() && IsNameCharacter(Peek())) {
            const std::optional<std::uint32_t> digit = HexValue(Peek());
            if (!digit || *digit >= base) {
                Error("not a digit of the number");
                return std::nullopt;
            }
            magnitude = magnitude * base + *digit;
            tooLarge = tooLarge || magnitude > kLargest;
            magnitude = std::min(magnitude, kLargest + 1);
            ++position_;
        }
        if (position_ == digitsStart) {
            Error("expected digits");
            return std::nullopt;
        }
        const std::int64_t value = negative ? -magnitude : magnitude;
        if (tooLarge || value > std::numeric_limits<std::int32_t>::max()) {
            Error(start, "integer outside the 32-bit range");
            return std::nullopt;
        }
        return AutomationValue::Long(static_cast<std::int32_t>(value));
    }

    std::optional<std::uint32_t> HexDigits(std::size_t count) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::optional<std::uint32_t> digit = AtEnd() ? std::nullopt : HexValue(Peek());
            if (!digit) {
                Error("expected " + std::to_string(count) + " hex digits in the escape");
                return std::nullopt;
            }
            value = value * 16 + *digit;
            ++position_;
        }
        return value;
    }

    std::optional<AutomationValue> ParseString() {
        const std::size_t start = position_;
        ++position_;  // the opening quote
        std::u16string text;
        while (true) {
            if (AtEnd()) {
                Error(start, "string without its closing quote");
                return std::nullopt;
            }
            const char c = Peek();
            if (c == '"') {
                ++position_;
                return AutomationValue::String(std::move(text));
            }
            if (c == '\\') {
                if (!ParseEscape(text)) {
                    return std::nullopt;
                }
                continue;
            }
            const std::optional<Utf8Character> character = Utf8CharacterAt(line_, position_);
            if (!character) {
                Error("not UTF-8 text");
                return std::nullopt;
            }
            AppendUtf16(text, character->codePoint);
            position_ += character->bytes;
        }
    }

    bool ParseEscape(std::u16string& text) {
        const std::size_t start = position_;
        ++position_;  // the backslash
        if (AtEnd()) {
            Error(start, "escape at the end of the line");
            return false;
        }
        const char kind = line_[position_++];
        switch (kind) {
            case '"':
            case '\\':
                text.push_back(static_cast<char16_t>(kind));
                return true;
            case 'n':
                text.push_back(u'\n');
                return true;
            case 't':
                text.push_back(u'\t');
                return true;
            case 'x':
            case 'u': {
                const std::optional<std::uint32_t> unit = HexDigits(kind == 'x' ? 2 : 4);
                if (!unit) {
                    return false;
                }
                text.push_back(static_cast<char16_t>(*unit));
                return true;
            }
            default:
                Error(start, "unknown escape (use \\\" \\\\ \\n \\t \\xHH or \\uXXXX)");
                return false;
        }
    }

    std::string_view line_;
    std::size_t position_ = 0;
    std::optional<SyntaxError> error_;
};

}  // namespace

ParsedLine ParseCallLine(std::string_view line) {
    return LineParser(line).Parse();
}

}  // namespace kestrova::host
