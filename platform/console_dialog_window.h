#pragma once

// A modal dialog drawn as lines on a terminal: the caption, the visible
// statics row by row ("label: value"), changes of the OK button's state, the
// status line and the window's message boxes. Timers are kept here and run by
// the console's modal loop on the calling thread.

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>

#include "platform/modal_dialog.h"

namespace kestrova::platform {

class ConsoleDialogWindow final : public DialogWindow {
  public:
    using Clock = std::chrono::steady_clock;

    ConsoleDialogWindow(const DialogTemplate& layout, std::ostream& out);

    // Prints the window as the dialog's start-up left it, with the keys that
    // answer it when a person is asked; later changes of the OK button and
    // the status line are printed as they happen.
    void Show(bool askingUser);

    bool Ended() const { return endCode_.has_value(); }
    std::int32_t EndCode() const { return endCode_.value_or(kDialogCancel); }
    bool OkEnabled() const;
    bool TimersRunning() const { return !timers_.empty(); }
    // When the earliest running timer is due; nothing when none runs.
    std::optional<Clock::time_point> NextDue() const;
    // Each timer due by `now` is rescheduled one period on and its id
    // returned, earliest first.
    std::optional<std::uint32_t> TakeDueTimer(Clock::time_point now);
    // One line for the user, outside the window's own texts.
    void Say(std::string_view utf8Line);
    // Tells that a button was pressed for the user, naming it as shown, and
    // why nobody was asked.
    void SayPressed(int buttonId, std::string_view reason);

    // DialogWindow
    void SetCaption(std::string_view text) override;
    void SetItemText(int itemId, std::string_view text) override;
    void ShowItem(int itemId, bool visible) override;
    void EnableItem(int itemId, bool enabled) override;
    ScreenRect WindowRect() const override;
    ScreenRect ItemRect(int itemId) const override;
    void MoveWindow(const ScreenRect& place) override;
    void MoveItem(int itemId, const ScreenRect& place) override;
    void StartTimer(std::uint32_t timerId, std::uint32_t periodMilliseconds) override;
    void StopTimer(std::uint32_t timerId) override;
    void ShowMessageBox(std::string_view text, std::string_view caption) override;
    void SetItemAccessibleName(int itemId, std::string_view text) override;
    void ShowStatus(std::string_view text) override;
    void End(std::int32_t code) override;

  private:
    struct Item {
        DialogItem layout;
        std::string text;
        bool visible = true;
        bool enabled = true;
        ScreenRect rect;
    };
    struct Timer {
        Clock::duration period;
        Clock::time_point due;
    };

    Item* Find(int itemId);
    const Item* Find(int itemId) const;
    void PrintOkState();
    std::string ButtonText(int itemId, std::string_view fallback) const;

    std::ostream& out_;
    std::string caption_;
    std::map<int, Item> items_;
    ScreenRect windowRect_;
    std::map<std::uint32_t, Timer> timers_;
    std::string lastStatus_;
    bool shown_ = false;
    std::optional<bool> printedOkState_;
    std::optional<std::int32_t> endCode_;
};

}  // namespace kestrova::platform
