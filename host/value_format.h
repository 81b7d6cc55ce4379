#pragma once

// How the kestrova command prints calls: the text form reads back with the
// call syntax (host/call_syntax.h); the JSON form is one object per call.

#include <span>
#include <string>
#include <string_view>

#include "control/automation_value.h"
#include "control/method_info.h"

namespace kestrova::host {

// 12, "text" with escapes, or null. UTF-8.
std::string FormatValue(const AutomationValue& value);

// The same value as JSON: 12, "text", or null for a null BSTR.
std::string FormatValueJson(const AutomationValue& value);

// Method(arg, ...) -> result
std::string FormatCall(std::string_view method, std::span<const AutomationValue> arguments,
                       const AutomationValue& result);

// {"call": "Method", "args": [...], "result": ...}; a null BSTR is null.
std::string FormatCallJson(std::string_view method, std::span<const AutomationValue> arguments,
                           const AutomationValue& result);

// BSTR GetReaderName(long Offset)
std::string FormatSignature(const MethodInfo& method);

}  // namespace kestrova::host
