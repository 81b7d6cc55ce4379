#include "platform/qt/qt_application.h"

#include <QApplication>
namespace kestrova::platform {

void EnsureQtApplication() {
    if (QApplication::instance() != nullptr) {
        return;
    }
    // QApplication keeps references to argc and argv for its whole life.
    static int argc = 1;
    static char programName[] = "kestrova";
    static char* argv[] = {programName, nullptr};
    // Never destroyed: tearing Qt down among the static destructors after
    // main has returned crashes, and the process is ending anyway.
    static QApplication* const application = new QApplication(argc, argv);
    (void)application;
}

}  // namespace kestrova::platform
