#pragma once

// A dialog window for tests: it lays the dialog out from its template (two
// pixels per dialog unit, the window's top left at 100, 100), records what
// the dialog does to it, and is driven by hand: timer ticks one at a time,
// OK and Cancel presses.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/modal_dialog.h"

namespace kestrova::test_support {

struct ScriptedItem {
    std::string text;
    bool visible = true;
    bool enabled = true;
    platform::ScreenRect rect;
};

struct ScriptedMessageBox {
    std::string text;
    std::string caption;
};

class ScriptedDialogWindow final : public platform::DialogWindow {
  public:
    static constexpr int kPixelsPerUnit = 2;
    static constexpr int kOriginX = 100;
    static constexpr int kOriginY = 100;

    explicit ScriptedDialogWindow(platform::ModalDialog& dialog);

    // Creates the window from the template and runs the dialog's start-up.
    void Open();

    // One round of ticks: each timer running at its start ticks once, in id
    // order, unless the window has ended meanwhile. Returns false once ended.
    bool Tick();
    // Up to `count` rounds, fewer when the window ends. Returns the rounds run.
    int Tick(int count);

    // As the user would: OK only when its button is enabled and visible.
    bool PressOk();
    void PressCancel();

    bool Ended() const { return endCode_.has_value(); }
    std::int32_t EndCode() const { return endCode_.value_or(0); }

    const ScriptedItem& Item(int itemId) const;
    bool OkEnabled() const;
    bool TimerRunning(std::uint32_t timerId) const { return timers.count(timerId) != 0; }

    // What the window showed.
    std::string caption;
    std::map<int, ScriptedItem> items;
    platform::ScreenRect windowRect;
    std::map<std::uint32_t, std::uint32_t> timers;  // id -> period in ms
    std::vector<ScriptedMessageBox> messageBoxes;
    std::vector<std::string> statusLines;
    // Every accessible name given to an item (or kDialogStatusLine), in order.
    std::map<int, std::vector<std::string>> accessibleNames;

    // DialogWindow
    void SetCaption(std::string_view text) override;
    void SetItemText(int itemId, std::string_view text) override;
    void ShowItem(int itemId, bool visible) override;
    void EnableItem(int itemId, bool enabled) override;
    platform::ScreenRect WindowRect() const override;
    platform::ScreenRect ItemRect(int itemId) const override;
    void MoveWindow(const platform::ScreenRect& place) override;
    void MoveItem(int itemId, const platform::ScreenRect& place) override;
    void StartTimer(std::uint32_t timerId, std::uint32_t periodMilliseconds) override;
    void StopTimer(std::uint32_t timerId) override;
    void ShowMessageBox(std::string_view text, std::string_view caption) override;
    void SetItemAccessibleName(int itemId, std::string_view text) override;
    void ShowStatus(std::string_view text) override;
    void End(std::int32_t code) override;

  private:
    ScriptedItem& ItemFor(int itemId);

    platform::ModalDialog& dialog_;
    std::optional<std::int32_t> endCode_;
};

}  // namespace kestrova::test_support
