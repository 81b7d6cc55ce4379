#pragma once

// The control's marks in the platform's component category registry.

#include <windows.h>

namespace kestrova::com {

// Makes sure the category exists, with its description for locale 0x409.
HRESULT CreateComponentCategory(REFGUID category, const wchar_t* description);

// Marks the class as implementing the category.
HRESULT RegisterClassInCategory(REFCLSID clsid, REFGUID category);

}  // namespace kestrova::com
