#include "platform/qt/qt_dialog_window.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "platform/qt/dialog_font.h"
#include "platform/qt/qt_text.h"

namespace kestrova::platform {
namespace {

constexpr int kMarginUnits = 7;

Qt::Alignment AlignmentOf(DialogItemKind kind) {
    switch (kind) {
        case DialogItemKind::StaticCentred:
            return Qt::AlignCenter;
        case DialogItemKind::StaticTopLeft:
            return Qt::AlignLeft | Qt::AlignTop;
        case DialogItemKind::StaticLeft:
        case DialogItemKind::DefaultPushButton:
        case DialogItemKind::PushButton:
            break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

bool IsButton(DialogItemKind kind) {
    return kind == DialogItemKind::DefaultPushButton || kind == DialogItemKind::PushButton;
}

constexpr char kStatusLineName[] = "statusLine";

// The status line is the window's status bar for a screen reader, which
// reads it on request by the name the logic gives it, instead of a label
// renamed each time its text changes.
QAccessibleInterface* StatusLineAccessible(const QString& /*className*/, QObject* object) {
    auto* label = qobject_cast<QLabel*>(object);
    if (label == nullptr || label->objectName() != QLatin1String(kStatusLineName) ||
        dynamic_cast<QtDialogWindow*>(label->parentWidget()) == nullptr) {
        return nullptr;
    }
    return new QAccessibleWidget(label, QAccessible::StatusBar);
}

ScreenRect ToScreenRect(const QRect& rect) {
    return ScreenRect{rect.left(), rect.top(), rect.left() + rect.width(),
                      rect.top() + rect.height()};
}

}  // namespace

QtDialogWindow::QtDialogWindow(ModalDialog& dialog)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      dialog_(dialog),
      units_(BaseUnitsOf(DialogFont(dialog.Template()))) {
    const DialogTemplate& dialogTemplate = dialog_.Template();
    setFont(DialogFont(dialogTemplate));
    setWindowTitle(FromAnsi(dialogTemplate.caption));
    setModal(true);
    CreateItems();
    setFixedSize(units_.SizeToPixels(dialogTemplate.size.width,
                                     dialogTemplate.size.height + kStatusLineGrowthUnits));
    PlaceStatusLine();
    CentreOnScreen();
}

QtDialogWindow::~QtDialogWindow() = default;

void QtDialogWindow::CreateItems() {
    for (const DialogItem& item : dialog_.Template().items) {
        QWidget* widget = nullptr;
        if (IsButton(item.kind)) {
            auto* button = new QPushButton(FromAnsi(item.text), this);
            // Every button is the default while it has the focus, so Enter
            // presses the focused button, as the platform's own dialogs do;
            // the template's default button answers Enter only when it has
            // the focus or no other button has.
            button->setAutoDefault(true);
            button->setDefault(item.kind == DialogItemKind::DefaultPushButton);
            const int id = item.id;
            connect(button, &QPushButton::clicked, this, [this, id] {
                if (ended_) {
                    return;
                }
                if (id == kDialogOk) {
                    dialog_.OnOK(*this);
                } else if (id == kDialogCancel) {
                    dialog_.OnCancel(*this);
                }
            });
            widget = button;
        } else {
            auto* label = new QLabel(FromAnsi(item.text), this);
            // The page's texts are shown as given, never read as markup.
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(AlignmentOf(item.kind));
            label->setWordWrap(item.kind == DialogItemKind::StaticTopLeft);
            if (item.sunkenEdge) {
                label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
                label->setLineWidth(1);
            }
            // A static's text starts next to its edge, as the platform's
            // statics draw it, not half a letter further in; the room the
            // template gives it is then all the text's.
            label->setIndent(0);
            label->setMargin(1);
            widget = label;
        }
        widget->setGeometry(units_.ToPixels(item.place));
        items_[item.id] = widget;
    }
    statusLine_ = new QLabel(this);
    statusLine_->setTextFormat(Qt::PlainText);
    statusLine_->setAlignment(Qt::AlignCenter);
    statusLine_->setObjectName(QLatin1String(kStatusLineName));
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(&StatusLineAccessible);
        return true;
    }();
    (void)factoryInstalled;
}

void QtDialogWindow::PlaceStatusLine() {
    const int top = height() - units_.Y(kStatusLineUnits + kStatusLineBottomMarginUnits);
    const int left = units_.X(kMarginUnits);
    statusLine_->setGeometry(left, top, width() - 2 * left, units_.Y(kStatusLineUnits));
}

void QtDialogWindow::CentreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect place(QPoint(0, 0), size());
    place.moveCenter(screen->availableGeometry().center());
    move(place.topLeft());
}

std::int32_t QtDialogWindow::Run() {
    dialog_.OnInitDialog(*this);
    if (ended_) {
        return endCode_;
    }
    exec();
    // exec() also returns when the application quits underneath the window;
    // anything but the logic's own OK is a cancel then.
    return ended_ ? endCode_ : kDialogCancel;
}

QWidget* QtDialogWindow::Item(int itemId) const {
    const auto found = items_.find(itemId);
    return found == items_.end() ? nullptr : found->second;
}

void QtDialogWindow::SetCaption(std::string_view text) {
    setWindowTitle(FromAnsi(text));
}

void QtDialogWindow::SetItemText(int itemId, std::string_view text) {
    QWidget* widget = Item(itemId);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(FromAnsi(text));
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        button->setText(FromAnsi(text));
    }
}

void QtDialogWindow::SetItemAccessibleName(int itemId, std::string_view text) {
    QWidget* widget = itemId == kDialogStatusLine ? statusLine_ : Item(itemId);
    if (widget != nullptr) {
        widget->setAccessibleName(FromAnsi(text));
    }
}

void QtDialogWindow::ShowItem(int itemId, bool visible) {
    if (QWidget* widget = Item(itemId)) {
        // Hidden before the window is shown, it stays hidden when it is.
        widget->setVisible(visible);
    }
}

void QtDialogWindow::EnableItem(int itemId, bool enabled) {
    if (QWidget* widget = Item(itemId)) {
        widget->setEnabled(enabled);
    }
}

ScreenRect QtDialogWindow::WindowRect() const {
    return ToScreenRect(frameGeometry());
}

ScreenRect QtDialogWindow::ItemRect(int itemId) const {
    const QWidget* widget = Item(itemId);
    if (widget == nullptr) {
        return ScreenRect{};
    }
    return ToScreenRect(QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()));
}

void QtDialogWindow::MoveWindow(const ScreenRect& place) {
    // The place includes the frame, as the window's rectangle does.
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    const int frameWidth = frame.width() - client.width();
    const int frameHeight = frame.height() - client.height();
    const QSize clientSize(place.Width() - frameWidth, place.Height() - frameHeight);
    if (!clientSize.isValid()) {
        return;
    }
    setFixedSize(clientSize);
    move(place.left, place.top);  // a window's position is its frame's
    // Placed now: a hidden window gets its resize event only when shown.
    PlaceStatusLine();
}

void QtDialogWindow::MoveItem(int itemId, const ScreenRect& place) {
    QWidget* widget = Item(itemId);
    if (widget == nullptr) {
        return;
    }
    const QPoint topLeft = mapFromGlobal(QPoint(place.left, place.top));
    widget->setGeometry(QRect(topLeft, QSize(place.Width(), place.Height())));
}

void QtDialogWindow::StartTimer(std::uint32_t timerId, std::uint32_t periodMilliseconds) {
    std::unique_ptr<QTimer>& timer = timers_[timerId];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        connect(timer.get(), &QTimer::timeout, this, [this, timerId] {
            if (!ended_) {
                dialog_.OnTimer(*this, timerId);
            }
        });
    }
    // Starting a running timer again restarts it with the new period.
    timer->start(static_cast<int>(std::min<std::uint32_t>(periodMilliseconds, 0x7FFFFFFF)));
}

void QtDialogWindow::StopTimer(std::uint32_t timerId) {
    const auto found = timers_.find(timerId);
    if (found != timers_.end()) {
        found->second->stop();
    }
}

void QtDialogWindow::ShowMessageBox(std::string_view text, std::string_view caption) {
    QMessageBox box(QMessageBox::Warning, FromAnsi(caption), FromAnsi(text), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtDialogWindow::ShowStatus(std::string_view text) {
    statusLine_->setText(FromAnsi(text));
}

void QtDialogWindow::End(std::int32_t code) {
    if (ended_) {
        return;
    }
    ended_ = true;
    endCode_ = code;
    for (auto& [id, timer] : timers_) {
        timer->stop();
    }
    done(code);
}

void QtDialogWindow::reject() {
    if (!ended_) {
        dialog_.OnCancel(*this);
    }
}

void QtDialogWindow::accept() {
    if (!ended_) {
        dialog_.OnOK(*this);
    }
}

}  // namespace kestrova::platform
