#pragma once

// Marks what the simulated PC/SC library exports besides pcsc-lite's names:
// everything else in it is hidden.

#define KESTROVA_SIM_API __attribute__((visibility("default")))
