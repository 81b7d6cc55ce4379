#include "control/dispatch.h"

#include <algorithm>
#include <string>
#include <vector>

#include "control/argument_conversion.h"
#include "control/method_table.h"
#include "platform/code_page.h"

namespace kestrova {
namespace {

std::string ParameterText(const ParameterInfo& parameter) {
    return std::string(TypeName(parameter.type)) + " " + std::string(parameter.name);
}

AutomationError WrongArgumentCount(const MethodInfo& method, std::size_t given) {
    std::string message = std::string(method.name) + " takes " +
                          std::to_string(method.parameterCount) + " argument" +
                          (method.parameterCount == 1 ? "" : "s") + " (";
    const auto parameters = method.Parameters();
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        message += (i == 0 ? "" : ", ") + ParameterText(parameters[i]);
    }
    message += "), " + std::to_string(given) + " given";
    return {AutomationErrorCode::BadParamCount, message};
}

AutomationError ArgumentNotConverted(const MethodInfo& method, std::size_t index,
                                     const ConversionFailure& failure) {
    const char* kind = failure.code == AutomationErrorCode::Overflow ? "overflow" : "type mismatch";
    return {failure.code, std::string(kind) + ": argument " + std::to_string(index + 1) + " (" +
                              ParameterText(method.Parameters()[index]) + ") of " +
                              std::string(method.name) + ": " + failure.reason};
}

// An unknown name is quoted up to this many bytes (whole UTF-8 characters).
constexpr std::size_t kQuotedNameBytes = 64;

std::string QuotedName(std::string_view name) {
    std::size_t end = std::min(name.size(), kQuotedNameBytes);
    while (end < name.size() && end > 0 &&
           (static_cast<unsigned char>(name[end]) & 0xC0U) == 0x80U) {
        --end;
    }
    std::string quoted = "\"";
    quoted += name.substr(0, end);
    quoted += end < name.size() ? "...\"" : "\"";
    return quoted;
}

AutomationValue ResultValue(const HandlerResult& result) {
    if (const auto* number = std::get_if<std::int32_t>(&result)) {
        return AutomationValue::Long(*number);
    }
    // An empty result is no string at all.
    const std::string& text = std::get<std::string>(result);
    return text.empty() ? AutomationValue::NullString()
                        : AutomationValue::String(platform::AnsiToUtf16(text));
}

}  // namespace

InvokeResult InvokeMethod(CKestrovaCtrl& control, const MethodInfo& method,
                          std::span<const AutomationValue> arguments) {
    if (arguments.size() != method.parameterCount) {
        return WrongArgumentCount(method, arguments.size());
    }
    HandlerArguments converted(arguments.size());
    const auto parameters = method.Parameters();
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (parameters[i].type == AutomationType::Long) {
            auto number = ConvertToLong(arguments[i]);
            if (const auto* failure = std::get_if<ConversionFailure>(&number)) {
                return ArgumentNotConverted(method, i, *failure);
            }
            converted.Add(std::get<std::int32_t>(number));
        } else {
            Bstr text = ConvertToBstr(arguments[i]);
            converted.Add(platform::Utf16ToAnsi(text.Text()));
            text.Wipe();
        }
    }
    return ResultValue(method.handler(control, converted));
}

InvokeResult InvokeMethod(CKestrovaCtrl& control, std::string_view name,
                          std::span<const AutomationValue> arguments) {
    const MethodInfo* method = FindMethod(name);
    if (method == nullptr) {
        return AutomationError{AutomationErrorCode::UnknownName,
                               "unknown method " + QuotedName(name)};
    }
    return InvokeMethod(control, *method, arguments);
}

}  // namespace kestrova
