// Defines the module's identifiers for the container.
// clang-format off
#include <windows.h>
#include <initguid.h>
// clang-format on

#include "KESTROVA_h.h"
