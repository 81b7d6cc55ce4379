#pragma once

// Calls a method of the control the way the platform's dispatch does: checks
// the argument count, converts each argument to its declared type, runs the
// handler and converts its result back. Failures of this layer come back as
// automation errors; the method's own failures are its result codes.

#include <span>
#include <string_view>

#include "control/automation_error.h"
#include "control/automation_value.h"
#include "control/kestrova_ctrl.h"
#include "control/method_info.h"

namespace kestrova {

InvokeResult InvokeMethod(CKestrovaCtrl& control, const MethodInfo& method,
                          std::span<const AutomationValue> arguments);

// By name, ignoring ASCII case.
InvokeResult InvokeMethod(CKestrovaCtrl& control, std::string_view name,
                          std::span<const AutomationValue> arguments);

}  // namespace kestrova
