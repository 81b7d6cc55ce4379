#include "platform/qt/qt_user_interface.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>

#include "platform/qt/qt_application.h"
#include "platform/qt/qt_dialog_window.h"
#include "platform/qt/qt_text.h"

namespace kestrova::platform {
namespace {

QMessageBox::Icon QtIconOf(MessageBoxIcon icon) {
    switch (icon) {
        case MessageBoxIcon::Warning:
            break;
    }
    return QMessageBox::Warning;
}

}  // namespace

void QtUserInterface::ShowMessageBox(std::string_view text, std::string_view caption,
                                     MessageBoxIcon icon) {
    EnsureQtApplication();
    QMessageBox box(QtIconOf(icon), FromAnsi(caption), FromAnsi(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

std::int32_t QtUserInterface::RunModal(ModalDialog& dialog) {
    EnsureQtApplication();
    QtDialogWindow window(dialog);
    return window.Run();
}

void QtUserInterface::DismissFromAnotherThread() {
    // Queued onto the thread that runs Qt, where the box's or window's own
    // event loop picks it up; with no application yet, nothing is shown.
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(
        application,
        [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            }
        },
        Qt::QueuedConnection);
}

std::unique_ptr<UserInterface> MakeQtUserInterface() {
    return std::make_unique<QtUserInterface>();
}

}  // namespace kestrova::platform
