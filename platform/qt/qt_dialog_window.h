#pragma once

// One run of a ModalDialog as a Qt modal window, laid out from the dialog's
// template. Below the template's controls the window keeps one extra line,
// the status line, where ShowStatus texts (the time left) appear; it stays at
// the window's bottom when the logic shrinks the window. The window has no
// owner (the logic names none), so it is modal to the whole application.

#include <QDialog>
#include <cstdint>
#include <map>
#include <memory>

#include "platform/modal_dialog.h"
#include "platform/qt/dialog_units.h"

class QLabel;
class QTimer;
class QWidget;

namespace kestrova::platform {

class QtDialogWindow final : public QDialog, public DialogWindow {
  public:
    explicit QtDialogWindow(ModalDialog& dialog);
    ~QtDialogWindow() override;
    QtDialogWindow(const QtDialogWindow&) = delete;
    QtDialogWindow& operator=(const QtDialogWindow&) = delete;

    // Start-up, then the modal loop; the code passed to End.
    std::int32_t Run();

    // The control of a template item, or null.
    QWidget* Item(int itemId) const;
    QLabel* StatusLine() const { return statusLine_; }
    const DialogUnitConverter& Units() const { return units_; }

    // DialogWindow
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

    // The status line's height and its distance from the window's bottom edge,
    // in dialog units; the window is this much taller than its template.
    static constexpr int kStatusLineUnits = 10;
    static constexpr int kStatusLineBottomMarginUnits = 3;
    static constexpr int kStatusLineGrowthUnits = 11;

  protected:
    // Escape and closing the window go to the logic's Cancel handling; the
    // window closes only when the logic ends it.
    void reject() override;
    void accept() override;

  private:
    void CreateItems();
    void PlaceStatusLine();
    void CentreOnScreen();

    ModalDialog& dialog_;
    DialogUnitConverter units_;
    std::map<int, QWidget*> items_;  // owned by the window as its children
    std::map<std::uint32_t, std::unique_ptr<QTimer>> timers_;
    QLabel* statusLine_ = nullptr;
    bool ended_ = false;
    std::int32_t endCode_ = kDialogCancel;
};

}  // namespace kestrova::platform
