#pragma once

// KESTROVALib 1.0 and its type descriptions: the registered library when
// there is one, else the copy in the module's own resources.

#include <oaidl.h>
#include <windows.h>

namespace kestrova::com {

// A new reference to the description of guid (an interface or the coclass).
HRESULT LoadTypeInfo(REFGUID guid, LCID lcid, ITypeInfo** info);

}  // namespace kestrova::com
