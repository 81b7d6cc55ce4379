#include "platform/qt/qt_user_interface_module.h"

#include "platform/qt/qt_user_interface.h"

extern "C" __attribute__((visibility("default"))) kestrova::platform::UserInterface*
kestrova_make_qt_user_interface() {
    return kestrova::platform::MakeQtUserInterface().release();
}
