#include "host/value_format.h"

#include <cstdint>
#include <string>

#include "control/unicode_text.h"

namespace kestrova::host {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHex(std::string& out, char32_t value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
        out.push_back(kHexDigits[(value >> shift) & 0xF]);
    }
}

bool IsControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Both forms quote the same way and differ in how they write what cannot
// stand as itself.
enum class Quoting { CallSyntax, Json };

std::string Quoted(std::u16string_view text, Quoting quoting) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const Utf16Character character = Utf16CharacterAt(text, i);
        i += character.units;
        const char32_t c = character.codePoint;
        if (c == U'"' || c == U'\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c == U'\n') {
            out += "\\n";
        } else if (c == U'\t') {
            out += "\\t";
        } else if (IsControl(c) && quoting == Quoting::CallSyntax) {
            out += "\\x";
            AppendHex(out, c, 2);
        } else if (IsControl(c) || IsSurrogate(c)) {
            // A lone surrogate has no UTF-8 form.
            out += "\\u";
            AppendHex(out, c, 4);
        } else {
            AppendUtf8(out, c);
        }
    }
    out.push_back('"');
    return out;
}

std::string Formatted(const AutomationValue& value, Quoting quoting) {
    if (value.IsLong()) {
        return std::to_string(value.AsLong());
    }
    if (value.AsBstr().IsNull()) {
        return "null";
    }
    return Quoted(value.AsBstr().Text(), quoting);
}

std::string JoinedArguments(std::span<const AutomationValue> arguments, Quoting quoting) {
    std::string joined;
    for (const AutomationValue& argument : arguments) {
        joined += (joined.empty() ? "" : ", ") + Formatted(argument, quoting);
    }
    return joined;
}

}  // namespace

std::string FormatValue(const AutomationValue& value) {
    return Formatted(value, Quoting::CallSyntax);
}

std::string FormatValueJson(const AutomationValue& value) {
    return Formatted(value, Quoting::Json);
}

std::string FormatCall(std::string_view method, std::span<const AutomationValue> arguments,
                       const AutomationValue& result) {
    return std::string(method) + "(" + JoinedArguments(arguments, Quoting::CallSyntax) + ") -> " +
           Formatted(result, Quoting::CallSyntax);
}

std::string FormatCallJson(std::string_view method, std::span<const AutomationValue> arguments,
                           const AutomationValue& result) {
    // Method names are ASCII identifiers: no escaping needed.
    return "{\"call\": \"" + std::string(method) + "\", \"args\": [" +
           JoinedArguments(arguments, Quoting::Json) +
           "], \"result\": " + Formatted(result, Quoting::Json) + "}";
}

std::string FormatSignature(const MethodInfo& method) {
    std::string signature =
        std::string(TypeName(method.returnType)) + " " + std::string(method.name) + "(";
    bool first = true;
    for (const ParameterInfo& parameter : method.Parameters()) {
        signature += (first ? "" : ", ") + std::string(TypeName(parameter.type)) + " " +
                     std::string(parameter.name);
        first = false;
    }
    return signature + ")";
}

}  // namespace kestrova::host
