#pragma once

// Marks what the simulated PC/SC library exports besides pcsc-lite's names:
// everything else in it is hidden.

#ifdef _WIN32
// The Windows library exports all its symbols.
#define KESTROVA_SIM_API
#else
#define KESTROVA_SIM_API __attribute__((visibility("default")))
#endif
