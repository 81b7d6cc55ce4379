#include "bridge/host/closable_user_interface.h"

#include <optional>

namespace kestrova::bridge {
namespace {

using platform::DialogWindow;
using platform::ScreenRect;

// The view's window, passed on as it is, except that it knows whether it has
// ended and shows no message box once the connection is closed.
class WatchedWindow final : public DialogWindow {
  public:
    WatchedWindow(DialogWindow& window, const ClosableUserInterface& owner)
        : window_(&window), owner_(owner) {}

    void Rebind(DialogWindow& window) { window_ = &window; }
    bool Ended() const { return ended_; }

    void SetCaption(std::string_view text) override { window_->SetCaption(text); }
    void SetItemText(int itemId, std::string_view text) override {
        window_->SetItemText(itemId, text);
    }
    void ShowItem(int itemId, bool visible) override { window_->ShowItem(itemId, visible); }
    void EnableItem(int itemId, bool enabled) override { window_->EnableItem(itemId, enabled); }
    void SetItemAccessibleName(int itemId, std::string_view text) override {
        window_->SetItemAccessibleName(itemId, text);
    }
    ScreenRect WindowRect() const override { return window_->WindowRect(); }
    ScreenRect ItemRect(int itemId) const override { return window_->ItemRect(itemId); }
    void MoveWindow(const ScreenRect& place) override { window_->MoveWindow(place); }
    void MoveItem(int itemId, const ScreenRect& place) override {
        window_->MoveItem(itemId, place);
    }
    void StartTimer(std::uint32_t timerId, std::uint32_t periodMilliseconds) override {
        window_->StartTimer(timerId, periodMilliseconds);
    }
    void StopTimer(std::uint32_t timerId) override { window_->StopTimer(timerId); }
    void ShowMessageBox(std::string_view text, std::string_view caption) override {
        if (!owner_.Closed()) {
            window_->ShowMessageBox(text, caption);
        }
    }
    void ShowStatus(std::string_view text) override { window_->ShowStatus(text); }
    void End(std::int32_t code) override {
        ended_ = true;
        window_->End(code);
    }

  private:
    DialogWindow* window_;
    const ClosableUserInterface& owner_;
    bool ended_ = false;
};

class WatchedDialog final : public platform::ModalDialog {
  public:
    WatchedDialog(platform::ModalDialog& dialog, const ClosableUserInterface& owner)
        : dialog_(dialog), owner_(owner) {}

    const platform::DialogTemplate& Template() const override { return dialog_.Template(); }

    void OnInitDialog(DialogWindow& window) override {
        WatchedWindow& watched = Bind(window);
        dialog_.OnInitDialog(watched);
        if (!watched.Ended()) {
            window.StartTimer(kCloseWatchTimerId, kCloseWatchPeriodMs);
        }
    }
    void OnTimer(DialogWindow& window, std::uint32_t timerId) override {
        WatchedWindow& watched = Bind(window);
        if (timerId != kCloseWatchTimerId) {
            dialog_.OnTimer(watched, timerId);
        } else if (owner_.Closed()) {
            // The dialog's own Cancel first, so it cleans up as for a user;
            // a dialog that ignores it still ends: nobody is left to answer.
            dialog_.OnCancel(watched);
            if (!watched.Ended()) {
                watched.End(platform::kDialogCancel);
            }
        }
    }
    void OnOK(DialogWindow& window) override { dialog_.OnOK(Bind(window)); }
    void OnCancel(DialogWindow& window) override { dialog_.OnCancel(Bind(window)); }

  private:
    WatchedWindow& Bind(DialogWindow& window) {
        if (!watched_) {
            watched_.emplace(window, owner_);
        } else {
            watched_->Rebind(window);
        }
        return *watched_;
    }

    platform::ModalDialog& dialog_;
    const ClosableUserInterface& owner_;
    std::optional<WatchedWindow> watched_;
};

}  // namespace

void ClosableUserInterface::ShowMessageBox(std::string_view text, std::string_view caption,
                                           platform::MessageBoxIcon icon) {
    if (!Closed()) {
        view_.ShowMessageBox(text, caption, icon);
    }
}

std::int32_t ClosableUserInterface::RunModal(platform::ModalDialog& dialog) {
    if (Closed()) {
        return platform::kDialogCancel;
    }
    WatchedDialog watched(dialog, *this);
    return view_.RunModal(watched);
}

}  // namespace kestrova::bridge
