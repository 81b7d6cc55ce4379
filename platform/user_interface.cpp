#include "platform/user_interface.h"

namespace kestrova::platform {

UserInterface::~UserInterface() = default;

}  // namespace kestrova::platform
