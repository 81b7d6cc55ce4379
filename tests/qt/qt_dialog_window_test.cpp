// The modal run: start-up before showing, timers inside the modal loop on the
// main thread, OK and Cancel from the user reaching the logic, and the end
// code the logic chose coming back from RunModal.

#include "platform/qt/qt_dialog_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <vector>

#include "platform/qt/dialog_font.h"
#include "platform/qt/dialog_units.h"
#include "platform/qt/qt_user_interface.h"
#include "resources/confirmation_dialog.h"
#include "tests/qt/qt_test_environment.h"
#include "tests/qt/scripted_dialog.h"

namespace kestrova::platform::testing {
namespace {

constexpr std::uint32_t kRemovalTimer = 0x2001;
constexpr std::uint32_t kConfirmTimer = 0x2004;

class QtDialogWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { StartOffscreenQt(); }

    ScriptedDialog dialog_{ConfirmationDialogTemplate()};
    QtUserInterface userInterface_;
};

void PressKey(QWidget& target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&target, &press);
}

void ReleaseKey(QWidget& target, int key) {
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(&target, &release);
}

TEST_F(QtDialogWindowTest, TimersTickOnTheMainThreadInsideTheModalLoopUntilTheLogicEnds) {
    std::vector<std::uint32_t> ticks;
    bool shownAtStartUp = true;
    bool allOnMainThread = true;
    dialog_.onInit = [&](DialogWindow& window) {
        shownAtStartUp = dynamic_cast<QtDialogWindow&>(window).isVisible();
        window.StartTimer(kRemovalTimer, 200);
    };
    dialog_.onTimer = [&](DialogWindow& window, std::uint32_t timerId) {
        allOnMainThread =
            allOnMainThread && QThread::currentThread() == QCoreApplication::instance()->thread();
        EXPECT_TRUE(dynamic_cast<QtDialogWindow&>(window).isVisible());
        ticks.push_back(timerId);
        if (ticks.size() == 3) {
            window.StopTimer(kRemovalTimer);
            window.StartTimer(kConfirmTimer, 200);
        } else if (ticks.size() == 5) {
            window.End(kDialogOk);
        }
    };

    EXPECT_EQ(userInterface_.RunModal(dialog_), kDialogOk);
    EXPECT_FALSE(shownAtStartUp);
    EXPECT_TRUE(allOnMainThread);
    // A stopped timer delivers nothing more, and nothing arrives after End.
    EXPECT_EQ(ticks, (std::vector<std::uint32_t>{kRemovalTimer, kRemovalTimer, kRemovalTimer,
                                                 kConfirmTimer, kConfirmTimer}));
}

TEST_F(QtDialogWindowTest, TheEnabledOkButtonReachesTheLogicAndADisabledOneDoesNot) {
    dialog_.onInit = [](DialogWindow& window) {
        window.EnableItem(kDialogOk, false);
        window.StartTimer(kRemovalTimer, 200);
    };
    dialog_.onTimer = [&](DialogWindow& window, std::uint32_t) {
        auto& qtWindow = dynamic_cast<QtDialogWindow&>(window);
        auto* ok = qobject_cast<QPushButton*>(qtWindow.Item(kDialogOk));
        ASSERT_NE(ok, nullptr);
        ok->click();
        EXPECT_EQ(dialog_.okCount, 0);
        window.EnableItem(kDialogOk, true);
        ok->click();
    };

    EXPECT_EQ(userInterface_.RunModal(dialog_), kDialogOk);
    EXPECT_EQ(dialog_.okCount, 1);
    EXPECT_EQ(dialog_.cancelCount, 0);
}

// Keys go where a person's keys go: to the widget with the focus. With OK
// disabled at start the focus sits on Cancel, and it stays there when OK is
// enabled; Enter and Space there must cancel, never confirm.
TEST_F(QtDialogWindowTest, EnterAndSpacePressTheFocusedButton) {
    dialog_.onInit = [](DialogWindow& window) {
        window.EnableItem(kDialogOk, false);
        window.StartTimer(kRemovalTimer, 200);
    };
    dialog_.onCancel = [](DialogWindow&) {};  // counted; the window stays
    QWidget* focusedAtStart = nullptr;
    QWidget* focusedAfterTab = nullptr;
    QWidget* cancel = nullptr;
    QWidget* ok = nullptr;
    dialog_.onTimer = [&](DialogWindow& window, std::uint32_t) {
        auto& qtWindow = dynamic_cast<QtDialogWindow&>(window);
        cancel = qtWindow.Item(kDialogCancel);
        ok = qtWindow.Item(kDialogOk);
        window.StopTimer(kRemovalTimer);
        window.EnableItem(kDialogOk, true);
        focusedAtStart = qtWindow.focusWidget();
        ASSERT_NE(focusedAtStart, nullptr);
        PressKey(*focusedAtStart, Qt::Key_Return);
        PressKey(*focusedAtStart, Qt::Key_Enter);
        PressKey(*focusedAtStart, Qt::Key_Space);
        ReleaseKey(*focusedAtStart, Qt::Key_Space);
        EXPECT_EQ(dialog_.okCount, 0);
        PressKey(*focusedAtStart, Qt::Key_Tab);
        focusedAfterTab = qtWindow.focusWidget();
        ASSERT_NE(focusedAfterTab, nullptr);
        PressKey(*focusedAfterTab, Qt::Key_Return);
    };

    EXPECT_EQ(userInterface_.RunModal(dialog_), kDialogOk);
    EXPECT_EQ(dialog_.cancelCount, 3);
    EXPECT_EQ(dialog_.okCount, 1);
    EXPECT_EQ(focusedAtStart, cancel);
    EXPECT_EQ(focusedAfterTab, ok);
}

TEST_F(QtDialogWindowTest, CancelEscapeAndClosingGoThroughTheLogicWhichDecidesWhenToEnd) {
    int cancelsBeforeEnding = 3;
    dialog_.onCancel = [&](DialogWindow& window) {
        if (--cancelsBeforeEnding == 0) {
            window.End(kDialogCancel);
        }
    };
    dialog_.onInit = [](DialogWindow& window) { window.StartTimer(kRemovalTimer, 200); };
    bool stillOpenAfterRefusals = false;
    dialog_.onTimer = [&](DialogWindow& window, std::uint32_t) {
        auto& qtWindow = dynamic_cast<QtDialogWindow&>(window);
        qobject_cast<QPushButton*>(qtWindow.Item(kDialogCancel))->click();
        qtWindow.close();
        stillOpenAfterRefusals = qtWindow.isVisible();
        PressKey(qtWindow, Qt::Key_Escape);
    };

    EXPECT_EQ(userInterface_.RunModal(dialog_), kDialogCancel);
    EXPECT_TRUE(stillOpenAfterRefusals);
    EXPECT_EQ(dialog_.cancelCount, 3);
    EXPECT_EQ(dialog_.okCount, 0);
}

TEST_F(QtDialogWindowTest, AnEndDuringStartUpReturnsWithoutShowingTheWindow) {
    dialog_.onInit = [](DialogWindow& window) {
        window.StartTimer(kRemovalTimer, 200);
        window.End(kDialogOk);
    };
    int ticks = 0;
    dialog_.onTimer = [&](DialogWindow&, std::uint32_t) { ++ticks; };
    EXPECT_EQ(userInterface_.RunModal(dialog_), kDialogOk);
    EXPECT_EQ(ticks, 0);
}

TEST_F(QtDialogWindowTest, LaysTheTemplateOutInDialogUnitsOfItsFontWithTheStatusLineBelow) {
    const DialogTemplate& dialogTemplate = ConfirmationDialogTemplate();
    const DialogBaseUnits base = BaseUnitsOf(DialogFont(dialogTemplate));
    ASSERT_GT(base.width, 0);
    ASSERT_GT(base.height, 0);
    const DialogUnitConverter units(base);
    QtDialogWindow window(dialog_);

    EXPECT_EQ(window.font().family(), QString::fromLatin1(kMingStandInFamily));
    EXPECT_EQ(window.font().pointSize(), dialogTemplate.fontPoints);
    for (const DialogItem& item : dialogTemplate.items) {
        SCOPED_TRACE(item.id);
        const QRect place = window.Item(item.id)->geometry();
        // Whole dialog units, rounded: each edge within half a unit.
        EXPECT_NEAR(place.left(), item.place.x * base.width / 4.0, base.width / 8.0 + 0.5);
        EXPECT_NEAR(place.top(), item.place.y * base.height / 8.0, base.height / 16.0 + 0.5);
        EXPECT_NEAR(place.width(), item.place.width * base.width / 4.0, base.width / 4.0 + 1);
        EXPECT_NEAR(place.height(), item.place.height * base.height / 8.0, base.height / 8.0 + 1);
    }
    // Neighbours in the template stay exactly adjacent: row 1's label ends
    // where the gap to its value begins, whatever the rounding.
    EXPECT_EQ(window.Item(203)->geometry().left() - window.Item(202)->geometry().right() - 1,
              units.X(72) - units.X(7 + 61));
    EXPECT_EQ(window.width(), units.X(dialogTemplate.size.width));
    EXPECT_EQ(window.height(),
              units.Y(dialogTemplate.size.height + QtDialogWindow::kStatusLineGrowthUnits));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Kestrova"));
}

TEST_F(QtDialogWindowTest, ScreenRectanglesRoundTripThroughMovesAndTheStatusLineFollowsTheBottom) {
    QtDialogWindow window(dialog_);
    const ScreenRect before = window.ItemRect(208);
    ScreenRect moved = before;
    moved.top -= 20;
    moved.bottom -= 20;
    window.MoveItem(208, moved);
    const ScreenRect after = window.ItemRect(208);
    EXPECT_EQ(after.top, before.top - 20);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.Height(), before.Height());
    EXPECT_EQ(after.Width(), before.Width());

    const int statusGapBefore = window.height() - window.StatusLine()->geometry().top();
    ScreenRect frame = window.WindowRect();
    frame.bottom -= 20;
    window.MoveWindow(frame);
    const ScreenRect shrunk = window.WindowRect();
    EXPECT_EQ(shrunk.top, frame.top);
    EXPECT_EQ(shrunk.left, frame.left);
    EXPECT_EQ(shrunk.Height(), frame.Height());
    EXPECT_EQ(window.height() - window.StatusLine()->geometry().top(), statusGapBefore);

    EXPECT_EQ(window.ItemRect(4242).Width(), 0);  // no such control
}

}  // namespace
}  // namespace kestrova::platform::testing
