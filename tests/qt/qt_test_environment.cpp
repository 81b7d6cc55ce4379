#include "tests/qt/qt_test_environment.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include "platform/code_page.h"
#include "platform/qt/qt_application.h"

// Read by LeakSanitizer when the tests run under it: fontconfig keeps its
// caches for the life of the process and Qt never frees them.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace kestrova::platform::testing {

void StartOffscreenQt() {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    }
    EnsureQtApplication();
}

std::string Big5(const char* utf8) {
    return Utf16ToAnsi(QString::fromUtf8(utf8).toStdU16String());
}

}  // namespace kestrova::platform::testing
