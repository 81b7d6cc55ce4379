#pragma once

// Calls through the automation layer, written the way a page script would.

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "control/dispatch.h"
#include "control/unicode_text.h"

namespace kestrova {

// Readable values in test failures.
inline void PrintTo(const AutomationValue& value, std::ostream* out) {
    if (value.IsLong()) {
        *out << "long " << value.AsLong();
    } else if (value.AsBstr().IsNull()) {
        *out << "null BSTR";
    } else {
        *out << "BSTR \"" << Utf16ToUtf8(value.AsBstr().Text()) << "\"";
    }
}

}  // namespace kestrova

namespace kestrova::testing {

inline AutomationValue L(std::int32_t value) {
    return AutomationValue::Long(value);
}
inline AutomationValue S(std::u16string text) {
    return AutomationValue::String(std::move(text));
}
inline AutomationValue Null() {
    return AutomationValue::NullString();
}

inline InvokeResult Call(CKestrovaCtrl& control, std::string_view name,
                         std::initializer_list<AutomationValue> arguments = {}) {
    const std::vector<AutomationValue> values(arguments);
    return InvokeMethod(control, name, values);
}

// The value of a call that must succeed.
inline AutomationValue ValueOf(const InvokeResult& result) {
    EXPECT_TRUE(result.Succeeded()) << (result.Succeeded() ? "" : result.Error().message);
    return result.Succeeded() ? result.Value() : AutomationValue::Long(-99999);
}

}  // namespace kestrova::testing
