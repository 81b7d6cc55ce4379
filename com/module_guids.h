#pragma once

// The module's fixed identifiers, as resources/KESTROVA.idl states them
// (LIBID_KESTROVALib, DIID__DKestrova, DIID__DKestrovaEvents, CLSID_Kestrova,
// CLSID_KestrovaPropPage). module_guids.cpp defines them.

#include <ole2.h>
#include <windows.h>

#include "KESTROVA_h.h"

namespace kestrova::com {

inline constexpr WORD kTypeLibraryMajor = 1;
inline constexpr WORD kTypeLibraryMinor = 0;

}  // namespace kestrova::com
