#pragma once

// pcsc-lite's declarations, given default visibility so that the definitions
// in this library are exported under exactly pcsc-lite's names and types (a
// definition that differs from its declaration does not compile).

#ifdef _WIN32
// Windows' declarations: the three protocol records are this library's own
// data, exported; the text functions are defined under their A names.
#define WINSCARDDATA __declspec(dllexport)
#include <windows.h>
#include <winscard.h>
#define MAX_ATR_SIZE 33
#define MAX_READERNAME 128
// pcsc-lite's values that Windows' header lacks.
#define SCARD_SCOPE_GLOBAL 0x0003
#define SCARD_PROTOCOL_T15 0x0008
#else
#pragma GCC visibility push(default)
#include <reader.h>
#include <winscard.h>
#pragma GCC visibility pop
#endif

namespace kestrova::sim_service {

// pcsc-lite's receive buffer limits, from its private headers.
inline constexpr unsigned long kMaxBufferSize = 264;
inline constexpr unsigned long kMaxBufferSizeExtended = 4 + 3 + (1UL << 16) + 3 + 2;
// Accepted by pcscd as "T=0 or T=1" for old callers.
inline constexpr unsigned long kProtocolAnyOld = 0x1000;

}  // namespace kestrova::sim_service
