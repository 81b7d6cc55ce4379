// Draws the confirmation window offscreen for one, two and three rows, saves
// each as a PNG under the build folder, and checks what a user would see:
// the Ming face, every text drawn inside its control and the window.

#include <gtest/gtest.h>

#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <map>

#include "platform/qt/dialog_font.h"
#include "platform/qt/qt_dialog_window.h"
#include "platform/qt/qt_user_interface.h"
#include "tests/qt/confirmation_window_script.h"
#include "tests/qt/qt_test_environment.h"
#include "tests/qt/scripted_dialog.h"

namespace kestrova::platform::testing {
namespace {

constexpr std::uint32_t kShotTimer = 0x2001;

// Pixels inside the rectangle that differ from the background.
int InkPixels(const QImage& image, const QRect& area, QColor background) {
    int ink = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if (image.pixelColor(x, y).rgb() != background.rgb()) {
                ++ink;
            }
        }
    }
    return ink;
}

bool AllCharactersInFont(const QFontMetrics& metrics, const QString& text) {
    for (const char32_t character : text.toUcs4()) {
        if (character != U' ' && !metrics.inFontUcs4(character)) {
            return false;
        }
    }
    return true;
}

void ExpectLabelDrawnInside(const QImage& image, const QLabel& label, QColor background) {
    SCOPED_TRACE(label.text().toStdString());
    const QRect contents = label.contentsRect().translated(label.pos());
    const int flags =
        static_cast<int>(label.alignment()) | (label.wordWrap() ? Qt::TextWordWrap : 0);
    const QRect textArea = label.fontMetrics().boundingRect(contents, flags, label.text());
    EXPECT_TRUE(contents.contains(textArea)) << "text clipped";
    EXPECT_TRUE(AllCharactersInFont(label.fontMetrics(), label.text())) << "drawn as boxes";
    EXPECT_GT(InkPixels(image, contents, background), 0) << "nothing drawn";
}

struct Shot {
    QSize size;
    int rowHeight = 0;
};

Shot DrawConfirmation(int rowCount) {
    const ConfirmationTexts texts;
    Shot shot;
    ScriptedDialog dialog(ConfirmationTemplate());
    dialog.onInit = [&](DialogWindow& window) {
        StartConfirmation(window, rowCount, texts);
        window.StartTimer(kShotTimer, 200);
    };
    dialog.onTimer = [&](DialogWindow& window, std::uint32_t) {
        auto& qtWindow = dynamic_cast<QtDialogWindow&>(window);
        const QImage image = qtWindow.grab().toImage();
        const QColor background = qtWindow.palette().color(QPalette::Window);
        const QString path = QStringLiteral(KESTROVA_QT_SCREENSHOT_DIR "/confirm-%1-row%2.png")
                                 .arg(rowCount)
                                 .arg(rowCount == 1 ? "" : "s");
        QDir().mkpath(QStringLiteral(KESTROVA_QT_SCREENSHOT_DIR));
        EXPECT_TRUE(image.save(path)) << path.toStdString();

        EXPECT_EQ(qtWindow.windowTitle(), QString::fromUtf8(texts.caption));
        EXPECT_EQ(QFontInfo(qtWindow.font()).family(), QString::fromLatin1(kMingStandInFamily));

        std::map<int, bool> expectVisible = {{1, true},
                                             {2, true},
                                             {201, true},
                                             {202, true},
                                             {203, true},
                                             {208, true},
                                             {204, rowCount >= 2},
                                             {205, rowCount >= 2},
                                             {206, rowCount >= 3},
                                             {207, rowCount >= 3}};
        for (const auto& [id, visible] : expectVisible) {
            SCOPED_TRACE(id);
            QWidget* item = qtWindow.Item(id);
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(item->isVisible(), visible);
            if (!visible) {
                continue;
            }
            EXPECT_TRUE(qtWindow.rect().contains(item->geometry())) << "outside the window";
            if (auto* label = qobject_cast<QLabel*>(item)) {
                ExpectLabelDrawnInside(image, *label, background);
            } else if (auto* button = qobject_cast<QPushButton*>(item)) {
                EXPECT_LT(button->fontMetrics().horizontalAdvance(button->text()), button->width());
                EXPECT_TRUE(AllCharactersInFont(button->fontMetrics(), button->text()));
            }
        }
        QLabel* status = qtWindow.StatusLine();
        EXPECT_TRUE(status->isVisible());
        EXPECT_EQ(status->text(), QString::fromUtf8(texts.status));
        EXPECT_TRUE(qtWindow.rect().contains(status->geometry()));
        EXPECT_GT(status->geometry().top(), qtWindow.Item(1)->geometry().bottom())
            << "status line overlaps the buttons";
        ExpectLabelDrawnInside(image, *status, background);

        shot.size = qtWindow.size();
        shot.rowHeight = qtWindow.Item(206)->height();
        window.End(kDialogCancel);
    };
    QtUserInterface userInterface;
    EXPECT_EQ(userInterface.RunModal(dialog), kDialogCancel);
    return shot;
}

TEST(QtConfirmationWindow, DrawsEveryTextInsideTheWindowForOneTwoAndThreeRows) {
    StartOffscreenQt();
    std::map<int, Shot> shots;
    for (int rows = 1; rows <= 3; ++rows) {
        SCOPED_TRACE(rows);
        shots[rows] = DrawConfirmation(rows);
    }
    // Fewer than three rows take one row's height off the window, and only one.
    ASSERT_GT(shots[3].rowHeight, 0);
    EXPECT_EQ(shots[3].size.height() - shots[2].size.height(), shots[3].rowHeight);
    EXPECT_EQ(shots[1].size, shots[2].size);
    EXPECT_EQ(shots[1].size.width(), shots[3].size.width());
}

}  // namespace
}  // namespace kestrova::platform::testing
