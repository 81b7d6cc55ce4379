#include "com/control_window.h"

#include "com/module.h"

namespace kestrova::com {
namespace {

constexpr wchar_t kWindowClass[] = L"KestrovaControlWindow";
constexpr int kPaintSlot = 0;
constexpr int kContextSlot = sizeof(LONG_PTR);

LRESULT CALLBACK ControlWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        const auto* given = static_cast<const LONG_PTR*>(create->lpCreateParams);
        SetWindowLongPtrW(window, kPaintSlot, given[0]);
        SetWindowLongPtrW(window, kContextSlot, given[1]);
    } else if (message == WM_PAINT) {
        PAINTSTRUCT painting;
        HDC dc = BeginPaint(window, &painting);
        RECT area;
        GetClientRect(window, &area);
        auto paint = reinterpret_cast<PaintCallback>(GetWindowLongPtrW(window, kPaintSlot));
        auto* context = reinterpret_cast<void*>(GetWindowLongPtrW(window, kContextSlot));
        if (paint != nullptr) {
            paint(context, dc, area);
        }
        EndPaint(window, &painting);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterWindowClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = ControlWindowProcedure;
    windowClass.cbWndExtra = 2 * sizeof(LONG_PTR);
    windowClass.hInstance = ModuleInstance();
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HWND CreateControlWindow(HWND parent, const RECT& place, PaintCallback paint, void* context) {
    if (parent == nullptr || !RegisterWindowClass()) {
        return nullptr;
    }
    LONG_PTR given[2] = {reinterpret_cast<LONG_PTR>(paint), reinterpret_cast<LONG_PTR>(context)};
    return CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                           place.left, place.top, place.right - place.left,
                           place.bottom - place.top, parent, nullptr, ModuleInstance(), given);
}

}  // namespace kestrova::com
