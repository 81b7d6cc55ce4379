#pragma once

// Failures of the automation layer itself, as opposed to the result codes
// that methods return. They are values; nothing is thrown.

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

#include "control/automation_value.h"

namespace kestrova {

// The platform's own codes, so that a host can pass them on unchanged.
enum class AutomationErrorCode : std::uint32_t {
    TypeMismatch = 0x80020005,   // DISP_E_TYPEMISMATCH
    UnknownName = 0x80020006,    // DISP_E_UNKNOWNNAME
    Overflow = 0x8002000A,       // DISP_E_OVERFLOW
    BadParamCount = 0x8002000E,  // DISP_E_BADPARAMCOUNT
};

struct AutomationError {
    AutomationErrorCode code;
    std::string message;  // UTF-8
};

// What a call gives back: the method's value, or why it could not be called.
class InvokeResult {
  public:
    InvokeResult(AutomationValue value) : outcome_(std::move(value)) {}
    InvokeResult(AutomationError error) : outcome_(std::move(error)) {}

    bool Succeeded() const { return std::holds_alternative<AutomationValue>(outcome_); }
    // Only when Succeeded().
    const AutomationValue& Value() const { return std::get<AutomationValue>(outcome_); }
    // Only when !Succeeded().
    const AutomationError& Error() const { return std::get<AutomationError>(outcome_); }

  private:
    std::variant<AutomationValue, AutomationError> outcome_;
};

}  // namespace kestrova
