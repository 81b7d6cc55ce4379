#pragma once

// pcsc-lite's declarations, given default visibility so that the definitions
// in this library are exported under exactly pcsc-lite's names and types (a
// definition that differs from its declaration does not compile).

#pragma GCC visibility push(default)
#include <reader.h>
#include <winscard.h>
#pragma GCC visibility pop

namespace kestrova::sim_service {

// pcsc-lite's receive buffer limits, from its private headers.
inline constexpr unsigned long kMaxBufferSize = 264;
inline constexpr unsigned long kMaxBufferSizeExtended = 4 + 3 + (1UL << 16) + 3 + 2;
// Accepted by pcscd as "T=0 or T=1" for old callers.
inline constexpr unsigned long kProtocolAnyOld = 0x1000;

}  // namespace kestrova::sim_service
