// Defines the module's identifiers for the container, and those of the
// script engine interfaces, which mingw-w64's uuid library lacks in part.
// clang-format off
#include <windows.h>
#include <initguid.h>
#include <activscp.h>
// clang-format on

#include "KESTROVA_h.h"
