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

// The control's miscellaneous status, registered and answered: recompose on
// resize, can't link inside, inside-out, activate when visible, set client
// site first.
inline constexpr DWORD kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE |
                                     OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
                                     OLEMISC_SETCLIENTSITEFIRST;
static_assert(kMiscStatus == 0x20191);

}  // namespace kestrova::com
