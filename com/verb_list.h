#pragma once

// The control's verbs as a container lists them (IOleObject::EnumVerbs),
// from the module's own table: the one verb, the standard Properties verb
// that opens the property page. Nothing is read from the registry, so the
// listing does not depend on what registration wrote.

#include <ole2.h>
#include <olectl.h>
#include <windows.h>

namespace kestrova::com {

HRESULT EnumerateVerbs(IEnumOLEVERB** verbs);

}  // namespace kestrova::com
