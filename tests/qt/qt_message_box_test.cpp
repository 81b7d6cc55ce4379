// Warning boxes: the control's own (no owner) and the one a window shows
// (owned by the window), both with their code page 950 texts converted.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <thread>

#include "platform/qt/qt_dialog_window.h"
#include "platform/qt/qt_user_interface.h"
#include "resources/confirmation_dialog.h"
#include "tests/qt/qt_test_environment.h"
#include "tests/qt/scripted_dialog.h"

namespace kestrova::platform::testing {
namespace {

struct SeenBox {
    bool found = false;
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* parent = nullptr;
    int buttons = 0;
};

// Once the box is up, notes what it shows and presses its OK button.
void PressOkOnTheNextBox(SeenBox& seen) {
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            // Not shown yet: look again once the loop has run.
            PressOkOnTheNextBox(seen);
            return;
        }
        seen.found = true;
        seen.text = box->text();
        seen.caption = box->windowTitle();
        seen.icon = box->icon();
        seen.parent = box->parentWidget();
        seen.buttons = static_cast<int>(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
}

TEST(QtMessageBox, TheControlsWarningShowsItsTextsWithoutAnOwner) {
    StartOffscreenQt();
    SeenBox seen;
    PressOkOnTheNextBox(seen);
    QtUserInterface userInterface;
    userInterface.ShowMessageBox(Big5("交易取消！"), "Kestrova", MessageBoxIcon::Warning);

    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, QString::fromUtf8("交易取消！"));
    EXPECT_EQ(seen.caption, QStringLiteral("Kestrova"));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.parent, nullptr);
    EXPECT_EQ(seen.buttons, 1);
}

TEST(QtMessageBox, AWindowsBoxIsOwnedByTheWindowAndTheWindowGoesOnAfterIt) {
    StartOffscreenQt();
    SeenBox seen;
    QWidget* windowWidget = nullptr;
    ScriptedDialog dialog(ConfirmationDialogTemplate());
    dialog.onInit = [](DialogWindow& window) { window.StartTimer(0x2004, 200); };
    dialog.onTimer = [&](DialogWindow& window, std::uint32_t timerId) {
        window.StopTimer(timerId);
        windowWidget = &dynamic_cast<QtDialogWindow&>(window);
        PressOkOnTheNextBox(seen);
        window.ShowMessageBox(Big5("超過允許交易時間，取消交易。"), "Kestrova");
        window.End(kDialogCancel);
    };
    QtUserInterface userInterface;
    EXPECT_EQ(userInterface.RunModal(dialog), kDialogCancel);

    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, QString::fromUtf8("超過允許交易時間，取消交易。"));
    EXPECT_EQ(seen.caption, QStringLiteral("Kestrova"));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.parent, windowWidget);
    EXPECT_EQ(seen.buttons, 1);
}

// The host's user has gone (a page was closed): another thread dismisses the
// box that waits for a person, and then the window that waits behind it.
TEST(QtMessageBox, BoxesAndWindowsAreDismissedFromAnotherThread) {
    StartOffscreenQt();
    QtUserInterface userInterface;
    bool pressedByTest = false;
    std::thread dismisser;
    // Once the box is up, dismisses it from a thread of its own; should that
    // do nothing, OK is pressed after a while so that the test ends (and fails).
    const auto dismissTheNextModal = [&](auto& self) -> void {
        QTimer::singleShot(0, [&, self] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) {
                self(self);
                return;
            }
            if (dismisser.joinable()) {
                dismisser.join();
            }
            dismisser = std::thread([&userInterface] { userInterface.DismissFromAnotherThread(); });
            QTimer::singleShot(30000, modal, [&pressedByTest, modal] {
                pressedByTest = true;
                modal->close();
            });
        });
    };
    dismissTheNextModal(dismissTheNextModal);
    userInterface.ShowMessageBox(Big5("交易取消！"), "Kestrova", MessageBoxIcon::Warning);

    bool cancelled = false;
    ScriptedDialog dialog(ConfirmationDialogTemplate());
    dialog.onInit = [&](DialogWindow& /*window*/) { dismissTheNextModal(dismissTheNextModal); };
    dialog.onCancel = [&cancelled](DialogWindow& window) {
        cancelled = true;
        window.End(kDialogCancel);
    };
    EXPECT_EQ(userInterface.RunModal(dialog), kDialogCancel);
    dismisser.join();
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(pressedByTest);
}

}  // namespace
}  // namespace kestrova::platform::testing
