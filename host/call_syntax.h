#pragma once

// One line of a call file: `Method(arg, ...)`. An argument is an integer
// (decimal or 0x hex, optional '-', 32-bit), a string in double quotes, or
// null (a null BSTR). Blank lines and lines starting with '#' hold no call;
// a '#' after the call starts a comment.

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "control/automation_value.h"

namespace kestrova::host {

struct ParsedCall {
    std::string methodName;
    std::vector<AutomationValue> arguments;
};

struct SyntaxError {
    std::size_t column;  // 1-based, in bytes
    std::string message;
};

struct NoCall {};

using ParsedLine = std::variant<NoCall, ParsedCall, SyntaxError>;

// Strings are UTF-8 with the escapes \" \\ \n \t, \xHH for the character
// U+00HH (not a byte) and \uXXXX for one UTF-16 unit.
ParsedLine ParseCallLine(std::string_view line);

}  // namespace kestrova::host
