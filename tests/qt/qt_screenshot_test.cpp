// Draws the transaction confirmation window, started by its own logic from a
// tagged message, offscreen for one, two and three rows, with the template's
// font and with a large desktop font, and (run again with QT_SCALE_FACTOR=2)
// at 200%; saves each as a PNG under the build folder and checks what a user
// would see: the Ming face, every text drawn inside its control and the
// window and no text cut (each control at least as large as its own size
// hint asks), the time left.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "platform/qt/dialog_font.h"
#include "platform/qt/qt_dialog_window.h"
#include "platform/qt/qt_user_interface.h"
#include "resources/confirmation_dialog.h"
#include "tests/qt/qt_test_environment.h"
#include "txn/txn_confirm_dlg.h"

namespace kestrova::platform::testing {
namespace {

// What the bank page would send, and what the window should then show.
struct ConfirmationTexts {
    const char* caption = "Kestrova 交易確認";
    const char* ok = "確定";
    const char* cancel = "取消";
    const char* instruction = "※如確認要進行交易，請您立即取出晶片卡並再重新插入，然後按下[確定]";
    const char* heading = "請確認以下交易內容";
    const char* labels[3] = {"轉出帳號", "轉入帳號", "交易金額"};
    const char* values[3] = {"0123456789012345", "9876543210987654", "NT$ 1,234,567"};
    const char* status = "剩餘 299 秒完成交易。";

    std::string TaggedMessage() const {
        const char* items[] = {caption, ok,        cancel,    instruction,
                               heading, labels[0], labels[1], labels[2]};
        std::string message = "<html>";
        for (int n = 1; n <= 8; ++n) {
            message += "<Tag" + std::to_string(n) + ">" + Big5(items[n - 1]) + "</Tag" +
                       std::to_string(n) + ">";
        }
        return message + "</html>";
    }
};

// The real logic starts the window; its first tick is taken over to look at
// the window as drawn, then the window ends without polling any card.
class LookAtFirstTick final : public ModalDialog {
  public:
    LookAtFirstTick(CTxnConfirmDlg& logic, std::function<void(QtDialogWindow&)> look)
        : logic_(logic), look_(std::move(look)) {}

    const DialogTemplate& Template() const override { return logic_.Template(); }
    void OnInitDialog(DialogWindow& window) override { logic_.OnInitDialog(window); }
    void OnTimer(DialogWindow& window, std::uint32_t) override {
        look_(dynamic_cast<QtDialogWindow&>(window));
        window.End(kDialogCancel);
    }
    void OnOK(DialogWindow& window) override { logic_.OnOK(window); }
    void OnCancel(DialogWindow& window) override { logic_.OnCancel(window); }

  private:
    CTxnConfirmDlg& logic_;
    std::function<void(QtDialogWindow&)> look_;
};

// Pixels inside the rectangle (in the window's coordinates; the image has
// the screen's device pixels) that differ from the background.
int InkPixels(const QImage& image, const QRect& area, QColor background) {
    int ink = 0;
    const qreal ratio = image.devicePixelRatio();
    const QRect devicePixels(QPoint(qRound(area.left() * ratio), qRound(area.top() * ratio)),
                             QSize(qRound(area.width() * ratio), qRound(area.height() * ratio)));
    const QRect inside = devicePixels.intersected(image.rect());
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
    // What the label asks for to show all of its text fits in what it has.
    const QSize needed = label.wordWrap() ? QSize(label.minimumSizeHint().width(),
                                                  label.heightForWidth(label.width()))
                                          : label.sizeHint();
    EXPECT_LE(needed.width(), label.width()) << "text cut on the right";
    EXPECT_LE(needed.height(), label.height()) << "text cut at the bottom";
}

struct Shot {
    QSize size;
    int rowHeight = 0;
};

Shot DrawConfirmation(int rowCount, const QString& look) {
    const ConfirmationTexts texts;
    const std::string message = texts.TaggedMessage();
    QtUserInterface userInterface;
    CTxnConfirmDlg logic(userInterface);
    logic.m_rowCount = rowCount;
    logic.m_slot = 1;
    logic.m_msg = message.c_str();
    for (int row = 0; row < rowCount; ++row) {
        const std::string value = Big5(texts.values[row]);
        auto& field = logic.m_rowValue[static_cast<std::size_t>(row)];
        value.copy(field.data(), field.size() - 1);
    }
    Shot shot;
    LookAtFirstTick dialog(logic, [&](QtDialogWindow& qtWindow) {
        const QImage image = qtWindow.grab().toImage();
        const QColor background = qtWindow.palette().color(QPalette::Window);
        const qreal scale = image.devicePixelRatio();
        EXPECT_EQ(scale, qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
                             ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
                             : 1.0);
        const QString path = QStringLiteral(KESTROVA_QT_SCREENSHOT_DIR "/confirm-%1-row%2%3%4.png")
                                 .arg(rowCount)
                                 .arg(rowCount == 1 ? "" : "s")
                                 .arg(look)
                                 .arg(scale == 1.0 ? QString() : QStringLiteral("@%1x").arg(scale));
        QDir().mkpath(QStringLiteral(KESTROVA_QT_SCREENSHOT_DIR));
        EXPECT_TRUE(image.save(path)) << path.toStdString();

        EXPECT_EQ(qtWindow.windowTitle(), QString::fromUtf8(texts.caption));
        EXPECT_EQ(QFontInfo(qtWindow.font()).family(), QString::fromLatin1(kMingStandInFamily));

        const std::map<int, const char*> expectText = {
            {1, texts.ok},           {2, texts.cancel},      {201, texts.heading},
            {202, texts.labels[0]},  {203, texts.values[0]}, {204, texts.labels[1]},
            {205, texts.values[1]},  {206, texts.labels[2]}, {207, texts.values[2]},
            {208, texts.instruction}};
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
                EXPECT_EQ(label->text(), QString::fromUtf8(expectText.at(id)));
                // A page's "<b>" is shown, not obeyed.
                EXPECT_EQ(label->textFormat(), Qt::PlainText);
                ExpectLabelDrawnInside(image, *label, background);
            } else if (auto* button = qobject_cast<QPushButton*>(item)) {
                EXPECT_EQ(button->text(), QString::fromUtf8(expectText.at(id)));
                EXPECT_LT(button->fontMetrics().horizontalAdvance(button->text()), button->width());
                EXPECT_LE(button->sizeHint().height(), button->height()) << "text cut";
                EXPECT_TRUE(AllCharactersInFont(button->fontMetrics(), button->text()));
            }
        }
        QLabel* status = qtWindow.StatusLine();
        EXPECT_TRUE(status->isVisible());
        EXPECT_EQ(status->text(), QString::fromUtf8(texts.status));
        EXPECT_EQ(status->textFormat(), Qt::PlainText);
        EXPECT_TRUE(qtWindow.rect().contains(status->geometry()));
        EXPECT_GT(status->geometry().top(), qtWindow.Item(1)->geometry().bottom())
            << "status line overlaps the buttons";
        ExpectLabelDrawnInside(image, *status, background);

        shot.size = qtWindow.size();
        shot.rowHeight = qtWindow.Item(206)->height();
    });
    EXPECT_EQ(userInterface.RunModal(dialog), kDialogCancel);
    return shot;
}

TEST(QtConfirmationWindow, DrawsEveryTextInsideTheWindowForOneTwoAndThreeRows) {
    StartOffscreenQt();
    std::map<int, Shot> shots;
    for (int rows = 1; rows <= 3; ++rows) {
        SCOPED_TRACE(rows);
        shots[rows] = DrawConfirmation(rows, QString());
    }
    // Fewer than three rows take one row's height off the window, and only one.
    ASSERT_GT(shots[3].rowHeight, 0);
    EXPECT_EQ(shots[3].size.height() - shots[2].size.height(), shots[3].rowHeight);
    EXPECT_EQ(shots[1].size, shots[2].size);
    EXPECT_EQ(shots[1].size.width(), shots[3].size.width());

    // A desktop font twice the template's: the whole window grows with it.
    const QFont desktopFont = QApplication::font();
    QFont large = desktopFont;
    large.setPointSize(2 * ConfirmationDialogTemplate().fontPoints);
    QApplication::setFont(large);
    const Shot largeShot = DrawConfirmation(3, QStringLiteral("-large-font"));
    QApplication::setFont(desktopFont);
    EXPECT_GT(largeShot.size.width(), shots[3].size.width() * 3 / 2);
    EXPECT_GT(largeShot.size.height(), shots[3].size.height() * 3 / 2);
}

}  // namespace
}  // namespace kestrova::platform::testing
