// Emits the definitions of the identifiers that KESTROVA_h.h declares; the
// system's own identifiers come from its uuid library, so initguid.h must
// follow windows.h.
// clang-format off
#include <windows.h>
#include <initguid.h>
// clang-format on

#include "com/module_guids.h"
