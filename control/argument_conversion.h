#pragma once

// How the automation layer turns a script's value into the type a parameter
// declares: a number for a BSTR becomes its decimal text, a string for a long
// is read as a decimal number.

#include <cstdint>
#include <string>
#include <variant>

#include "control/automation_error.h"
#include "control/automation_value.h"

namespace kestrova {

// The failure, without the argument's position: the caller names it.
struct ConversionFailure {
    AutomationErrorCode code;
    std::string reason;  // UTF-8
};

// Blanks around the number and one sign are allowed; anything else, and a null
// BSTR, is a type mismatch; a number outside 32 bits is an overflow.
std::variant<std::int32_t, ConversionFailure> ConvertToLong(const AutomationValue& value);

Bstr ConvertToBstr(const AutomationValue& value);

}  // namespace kestrova
