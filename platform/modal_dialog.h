#pragma once

// A modal dialog split the way the control needs it: the dialog's logic owns
// no window and knows no toolkit; a view (UserInterface::RunModal) creates
// the window from the logic's template, delivers start-up, timer ticks, OK and
// Cancel to the logic on the thread that runs the modal loop, and carries out
// what the logic asks of the window through DialogWindow.

#include <cstdint>
#include <string_view>

#include "platform/dialog_template.h"

namespace kestrova::platform {

inline constexpr std::int32_t kDialogOk = 1;
inline constexpr std::int32_t kDialogCancel = 2;
// Stands for the view's status line where an item's id is asked for.
inline constexpr int kDialogStatusLine = -1;

// Screen coordinates in pixels, as the window system reports them.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// What the logic may do to its window while it runs. Texts are code page 950.
class DialogWindow {
  public:
    virtual ~DialogWindow();

    virtual void SetCaption(std::string_view text) = 0;
    virtual void SetItemText(int itemId, std::string_view text) = 0;
    virtual void ShowItem(int itemId, bool visible) = 0;
    virtual void EnableItem(int itemId, bool enabled) = 0;
    // What a screen reader says for the item (or kDialogStatusLine) from now
    // on, where its visible text says too little or changes too often; the
    // visible text stays as it is.
    virtual void SetItemAccessibleName(int itemId, std::string_view text) = 0;

    virtual ScreenRect WindowRect() const = 0;
    virtual ScreenRect ItemRect(int itemId) const = 0;
    virtual void MoveWindow(const ScreenRect& place) = 0;
    virtual void MoveItem(int itemId, const ScreenRect& place) = 0;

    // Periodic timer delivered to ModalDialog::OnTimer on the dialog's thread.
    virtual void StartTimer(std::uint32_t timerId, std::uint32_t periodMilliseconds) = 0;
    virtual void StopTimer(std::uint32_t timerId) = 0;

    // A modal box owned by the window, warning icon, OK button only.
    virtual void ShowMessageBox(std::string_view text, std::string_view caption) = 0;

    // A line of status for the user (the time left); where it appears is the
    // view's choice.
    virtual void ShowStatus(std::string_view text) = 0;

    // Closes the window; RunModal returns this code.
    virtual void End(std::int32_t code) = 0;

  protected:
    DialogWindow() = default;
    DialogWindow(const DialogWindow&) = default;
    DialogWindow& operator=(const DialogWindow&) = default;
};

class ModalDialog {
  public:
    virtual ~ModalDialog();

    virtual const DialogTemplate& Template() const = 0;

    // Once, after the window exists and before it is first shown.
    virtual void OnInitDialog(DialogWindow& window) = 0;
    virtual void OnTimer(DialogWindow& window, std::uint32_t timerId) = 0;
    // The user pressed the enabled OK button (or Enter on it).
    virtual void OnOK(DialogWindow& window) = 0;
    // Cancel, closing the window, Escape.
    virtual void OnCancel(DialogWindow& window) = 0;

  protected:
    ModalDialog() = default;
    ModalDialog(const ModalDialog&) = default;
    ModalDialog& operator=(const ModalDialog&) = default;
};

}  // namespace kestrova::platform
