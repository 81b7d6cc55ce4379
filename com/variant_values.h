#pragma once

// VARIANTs as the control's automation values: a script's argument becomes a
// long or a BSTR, which the control's dispatch layer then converts to the
// declared type; a method's result becomes VT_I4 or VT_BSTR.

#include <ole2.h>
#include <windows.h>

#include <optional>

#include "control/automation_value.h"

namespace kestrova::com {

// Nothing for a value that is neither a number nor a string (an object, an
// array): a type mismatch. overflow says a number did not fit 32 bits.
std::optional<AutomationValue> ArgumentValue(const VARIANT& argument, bool& overflow);

// Fills result, which the caller has initialised.
HRESULT StoreResult(const AutomationValue& value, VARIANT& result);

}  // namespace kestrova::com
