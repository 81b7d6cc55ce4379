#pragma once

// The window of a running modal dialog, as the dialog's logic sees it.

#include <windows.h>

#include <vector>

#include "platform/modal_dialog.h"

namespace kestrova::platform {

class Win32DialogWindow final : public DialogWindow {
  public:
    explicit Win32DialogWindow(ModalDialog& dialog) : dialog_(&dialog) {}

    void Attach(HWND window) { window_ = window; }
    ModalDialog& Dialog() { return *dialog_; }

    void SetCaption(std::string_view text) override;
    void SetItemText(int itemId, std::string_view text) override;
    void ShowItem(int itemId, bool visible) override;
    void EnableItem(int itemId, bool enabled) override;
    void SetItemAccessibleName(int itemId, std::string_view text) override;
    ScreenRect WindowRect() const override;
    ScreenRect ItemRect(int itemId) const override;
    void MoveWindow(const ScreenRect& place) override;
    void MoveItem(int itemId, const ScreenRect& place) override;
    void StartTimer(std::uint32_t timerId, std::uint32_t periodMilliseconds) override;
    void StopTimer(std::uint32_t timerId) override;
    void ShowMessageBox(std::string_view text, std::string_view caption) override;
    void ShowStatus(std::string_view text) override;
    void End(std::int32_t code) override;

  private:
    ModalDialog* dialog_;
    HWND window_ = nullptr;
    std::vector<HWND> annotated_;  // controls whose name the window annotated
};

}  // namespace kestrova::platform
