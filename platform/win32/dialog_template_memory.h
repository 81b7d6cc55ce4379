#pragma once

// A dialog template as the system's in-memory template (DLGTEMPLATE and its
// items), for DialogBoxIndirectParamW. The view adds one line of its own
// below the template's controls for the status text.

#include <windows.h>

#include <vector>

#include "platform/dialog_template.h"

namespace kestrova::platform {

inline constexpr int kStatusLineId = 0x7FF0;

// The template's words, DWORD-aligned from the start of the vector's data.
std::vector<DWORD> BuildDialogTemplateMemory(const DialogTemplate& dialog);

}  // namespace kestrova::platform
