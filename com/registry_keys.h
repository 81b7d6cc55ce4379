#pragma once

// The registry entries of the two classes under HKEY_CLASSES_ROOT, written
// and removed as a control module's standard registration does.

#include <olectl.h>
#include <windows.h>

namespace kestrova::com {

// ProgID key, CLSID key with InprocServer32 (apartment), ToolboxBitmap32,
// MiscStatus, Control, TypeLib and Version.
HRESULT RegisterControlClass();
// CLSID key with InprocServer32; no threading model, no ProgID key.
HRESULT RegisterPropertyPageClass();

// Removes what the class's registration wrote below its CLSID key, and its
// ProgID key where given; category marks stay.
HRESULT RemoveClassKeys(REFCLSID clsid, const wchar_t* progId);

}  // namespace kestrova::com
