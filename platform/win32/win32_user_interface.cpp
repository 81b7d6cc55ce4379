#include "platform/win32/win32_user_interface.h"

#include <windows.h>

#include <vector>

#include "platform/modal_dialog.h"
#include "platform/win32/dialog_template_memory.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_dialog_window.h"

namespace kestrova::platform {
namespace {

INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* window = reinterpret_cast<Win32DialogWindow*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        window->Attach(dialog);
        window->Dialog().OnInitDialog(*window);
        return TRUE;
    }
    auto* window = reinterpret_cast<Win32DialogWindow*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (window == nullptr) {
        return FALSE;
    }
    switch (message) {
        case WM_TIMER:
            window->Dialog().OnTimer(*window, static_cast<std::uint32_t>(wParam));
            return TRUE;
        case WM_COMMAND:
            // Enter comes as the default button's command wherever the focus
            // is, also while that button is disabled. It must press the
            // button that has the focus, as a click does (a click moves the
            // focus to its button first): Enter on Cancel cancels, and only
            // an enabled OK counts as pressed.
            if (LOWORD(wParam) == IDOK) {
                if (GetFocus() == GetDlgItem(dialog, IDCANCEL)) {
                    window->Dialog().OnCancel(*window);
                } else if (IsWindowEnabled(GetDlgItem(dialog, IDOK))) {
                    window->Dialog().OnOK(*window);
                }
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                window->Dialog().OnCancel(*window);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

// While it lives, windows this thread creates are per-monitor aware: the
// system lays a dialog out from its template's dialog units at the DPI of
// the monitor it is on, and again when it moves to another, instead of
// stretching a 96-DPI bitmap. The module lives in a browser's process,
// whose own awareness it cannot choose, so it is set for the thread alone;
// systems before Windows 10 (1607) lack the call and keep theirs.
class PerMonitorDpiAwareness {
  public:
    PerMonitorDpiAwareness() {
        using SetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        FARPROC found =
            user32 != nullptr ? GetProcAddress(user32, "SetThreadDpiAwarenessContext") : nullptr;
        if (found == nullptr) {
            return;
        }
        set_ = reinterpret_cast<SetContext>(reinterpret_cast<void*>(found));
        previous_ = set_(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
        if (previous_ == nullptr) {
            previous_ = set_(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
        }
    }
    ~PerMonitorDpiAwareness() {
        if (set_ != nullptr && previous_ != nullptr) {
            set_(previous_);
        }
    }
    PerMonitorDpiAwareness(const PerMonitorDpiAwareness&) = delete;
    PerMonitorDpiAwareness& operator=(const PerMonitorDpiAwareness&) = delete;

  private:
    DPI_AWARENESS_CONTEXT(WINAPI* set_)(DPI_AWARENESS_CONTEXT) = nullptr;
    DPI_AWARENESS_CONTEXT previous_ = nullptr;
};

BOOL CALLBACK CloseWindowOfThread(HWND window, LPARAM /*unused*/) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

}  // namespace

void Win32UserInterface::DismissFromAnotherThread() {
    const std::uint32_t thread = showingThread_.load();
    if (thread != 0) {
        EnumThreadWindows(thread, &CloseWindowOfThread, 0);
    }
}

void Win32UserInterface::ShowMessageBox(std::string_view text, std::string_view caption,
                                        MessageBoxIcon /*icon*/) {
    showingThread_.store(GetCurrentThreadId());
    const PerMonitorDpiAwareness dpiAware;
    MessageBoxW(GetActiveWindow(), WideText(text).c_str(), WideText(caption).c_str(),
                MB_OK | MB_ICONWARNING);
}

std::int32_t Win32UserInterface::RunModal(ModalDialog& dialog) {
    showingThread_.store(GetCurrentThreadId());
    const std::vector<DWORD> memory = BuildDialogTemplateMemory(dialog.Template());
    Win32DialogWindow window(dialog);
    const PerMonitorDpiAwareness dpiAware;
    const INT_PTR result = DialogBoxIndirectParamW(
        GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(memory.data()),
        GetActiveWindow(), &DialogProcedure, reinterpret_cast<LPARAM>(&window));
    // A window the system could not create counts as cancelled.
    return result == -1 || result == 0 ? kDialogCancel : static_cast<std::int32_t>(result);
}

}  // namespace kestrova::platform
