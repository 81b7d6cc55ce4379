#include <algorithm>

#include "control/method_table.h"

namespace kestrova {
namespace {

char AsciiLower(char character) {
    return character >= 'A' && character <= 'Z' ? static_cast<char>(character - 'A' + 'a')
                                                : character;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

}  // namespace

const MethodInfo* FindMethod(std::string_view name) {
    const auto methods = MethodTable();
    const auto found = std::ranges::find_if(
        methods, [&](const MethodInfo& method) { return SameNameIgnoringCase(method.name, name); });
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
