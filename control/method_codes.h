#pragma once

// The result codes each method returns, read from the one registry of codes
// (reader/result_codes.h), whose lists name the methods that return each
// code: a method is named there by its own name or through a group.

#include <cstdint>
#include <string_view>
#include <vector>

#include "control/method_info.h"

namespace kestrova {

struct ResultCodeInfo {
    std::string_view name;  // as kestrova.codes names it
    std::int32_t value;
    std::string_view meaning;
};

// In the registry's order; empty for a method whose result is a value, not a
// code (a count, a held text, a conversion). A string method's codes reach
// the page through GetLastError.
std::vector<ResultCodeInfo> ResultCodesOf(const MethodInfo& method);

// The words of the registry's lists, and of its groups, that name no method
// of the table and no group: none while the two agree.
std::vector<std::string_view> UnknownNamesInResultCodes();

}  // namespace kestrova
