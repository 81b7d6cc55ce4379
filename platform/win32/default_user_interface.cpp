#include "platform/default_user_interface.h"

#include "platform/win32/win32_user_interface.h"

namespace kestrova::platform {

UserInterface& DefaultUserInterface() {
    static Win32UserInterface windows;
    return windows;
}

}  // namespace kestrova::platform
