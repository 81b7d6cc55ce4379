#include "platform/default_user_interface.h"

#include "platform/console_user_interface.h"

namespace kestrova::platform {

UserInterface& DefaultUserInterface() {
    static ConsoleUserInterface console;
    return console;
}

}  // namespace kestrova::platform
