#pragma once

// The user interface a control uses when its host gives none: the console
// one on Linux, the system's windows on Windows.

#include "platform/user_interface.h"

namespace kestrova::platform {

UserInterface& DefaultUserInterface();

}  // namespace kestrova::platform
