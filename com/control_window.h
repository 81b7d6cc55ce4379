#pragma once

// The control's own child window, for a site that cannot host it
// windowless: it paints what the control's view draws.

#include <windows.h>

namespace kestrova::com {

using PaintCallback = void (*)(void* context, HDC dc, const RECT& area);

// A visible child of parent at place, painted by paint(context, ...); null
// when it cannot be made. context must outlive the window.
HWND CreateControlWindow(HWND parent, const RECT& place, PaintCallback paint, void* context);

}  // namespace kestrova::com
