#include "platform/win32/win32_dialog_window.h"

// The annotation service's ids are defined here, where they are used.
#include <initguid.h>
#include <oleacc.h>

#include "platform/win32/dialog_template_memory.h"
#include "platform/win32/wide_text.h"

namespace kestrova::platform {
namespace {

ScreenRect FromRect(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// Runs `use` with the system's annotation service, when there is one. The
// module may run on a thread of the browser's that set up COM, or on
// kestrova-host's, which has not.
template <typename Use>
void WithAnnotations(Use use) {
    const HRESULT initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccPropServices* services = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
        use(*services);
        services->Release();
    }
    if (SUCCEEDED(initialised)) {
        CoUninitialize();
    }
}

}  // namespace

void Win32DialogWindow::SetCaption(std::string_view text) {
    SetWindowTextW(window_, WideText(text).c_str());
}

void Win32DialogWindow::SetItemText(int itemId, std::string_view text) {
    SetDlgItemTextW(window_, itemId, WideText(text).c_str());
}

void Win32DialogWindow::ShowItem(int itemId, bool visible) {
    ShowWindow(GetDlgItem(window_, itemId), visible ? SW_SHOW : SW_HIDE);
}

void Win32DialogWindow::EnableItem(int itemId, bool enabled) {
    EnableWindow(GetDlgItem(window_, itemId), enabled ? TRUE : FALSE);
}

// Screen readers take a control's name from its text; a dynamic annotation
// of the control's name replaces it for them alone. Where the system offers
// no annotation service the text stays the name.
void Win32DialogWindow::SetItemAccessibleName(int itemId, std::string_view text) {
    HWND item = GetDlgItem(window_, itemId == kDialogStatusLine ? kStatusLineId : itemId);
    if (item == nullptr) {
        return;
    }
    WithAnnotations([&](IAccPropServices& services) {
        if (SUCCEEDED(services.SetHwndPropStr(item, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                              PROPID_ACC_NAME, WideText(text).c_str()))) {
            annotated_.push_back(item);
        }
    });
}

ScreenRect Win32DialogWindow::WindowRect() const {
    RECT rect{};
    GetWindowRect(window_, &rect);
    return FromRect(rect);
}

ScreenRect Win32DialogWindow::ItemRect(int itemId) const {
    RECT rect{};
    GetWindowRect(GetDlgItem(window_, itemId), &rect);
    return FromRect(rect);
}

void Win32DialogWindow::MoveWindow(const ScreenRect& place) {
    ::MoveWindow(window_, place.left, place.top, place.Width(), place.Height(), TRUE);
}

// The place is in screen coordinates; the item moves within the dialog.
void Win32DialogWindow::MoveItem(int itemId, const ScreenRect& place) {
    POINT corners[2] = {{place.left, place.top}, {place.right, place.bottom}};
    MapWindowPoints(nullptr, window_, corners, 2);
    ::MoveWindow(GetDlgItem(window_, itemId), corners[0].x, corners[0].y,
                 corners[1].x - corners[0].x, corners[1].y - corners[0].y, TRUE);
}

void Win32DialogWindow::StartTimer(std::uint32_t timerId, std::uint32_t periodMilliseconds) {
    SetTimer(window_, timerId, periodMilliseconds, nullptr);
}

void Win32DialogWindow::StopTimer(std::uint32_t timerId) {
    KillTimer(window_, timerId);
}

void Win32DialogWindow::ShowMessageBox(std::string_view text, std::string_view caption) {
    MessageBoxW(window_, WideText(text).c_str(), WideText(caption).c_str(), MB_OK | MB_ICONWARNING);
}

void Win32DialogWindow::ShowStatus(std::string_view text) {
    SetDlgItemTextW(window_, kStatusLineId, WideText(text).c_str());
}

void Win32DialogWindow::End(std::int32_t code) {
    // The service keeps an annotation until it is cleared, also after its
    // control is gone.
    if (!annotated_.empty()) {
        WithAnnotations([this](IAccPropServices& services) {
            const MSAAPROPID name = PROPID_ACC_NAME;
            for (HWND item : annotated_) {
                services.ClearHwndProps(item, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &name,
                                        1);
            }
        });
        annotated_.clear();
    }
    EndDialog(window_, code);
}

}  // namespace kestrova::platform
