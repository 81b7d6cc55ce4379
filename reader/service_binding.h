#pragma once

// Binding the PC/SC service library at run time. The library is loaded by
// the first card operation and stays loaded until CloseCardService.

#include <cstdint>

namespace kestrova {

#ifdef _WIN32
inline constexpr const char* kSystemCardServiceLibrary = "winscard.dll";
#else
inline constexpr const char* kSystemCardServiceLibrary = "libpcsclite.so.1";
#endif

// Names the library the next binding loads: a name the system's loader
// searches for, or a path. Null or empty restores the system's library. A
// library already bound stays bound.
void SetCardServiceLibrary(const char* nameOrPath);

// The library the next binding loads.
const char* CardServiceLibrary();

// Loads the library and resolves the service's three protocol records and
// eleven functions. Returns 0 (also when already bound) or -1 when the
// library cannot be loaded or lacks a required name; the service then stays
// unbound, so the next operation tries again.
std::int32_t BindCardService();

// Unloads the library and forgets its functions. Always 0.
std::int32_t UnbindCardService();

}  // namespace kestrova
