#include <algorithm>

#include "control/method_table.h"
#include "platform/ascii_text.h"

namespace kestrova {

const MethodInfo* FindMethod(std::string_view name) {
    const auto methods = MethodTable();
    const auto found = std::ranges::find_if(methods, [&](const MethodInfo& method) {
        return platform::EqualsIgnoringAsciiCase(method.name, name);
    });
    return found == methods.end() ? nullptr : &*found;
}

const MethodInfo* FindMethod(std::int32_t dispid) {
    const auto methods = MethodTable();
    if (dispid < 1 || static_cast<std::size_t>(dispid) > methods.size()) {
        return nullptr;
    }
    return &methods[static_cast<std::size_t>(dispid) - 1];
}

}  // namespace kestrova
