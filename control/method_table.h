#pragma once

// The one table of the dispatch interface's methods, and lookup in it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "control/method_info.h"

namespace kestrova {

inline constexpr std::size_t kMethodCount = 79;

// In DISPID order, 1 to 79.
std::span<const MethodInfo> MethodTable();

// Names are matched ignoring ASCII case, as the platform's dispatch does.
const MethodInfo* FindMethod(std::string_view name);
const MethodInfo* FindMethod(std::int32_t dispid);

}  // namespace kestrova
