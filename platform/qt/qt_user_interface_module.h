#pragma once

// The Qt view as a module that the host loads only when it shows a window:
// linked into kestrova, Qt and the libraries it needs would be loaded at the
// start of every process, window or not.

namespace kestrova::platform {

class UserInterface;

// The module's one export: a new QtUserInterface, owned by the caller. The
// module stays loaded for as long as the process runs.
inline constexpr char kQtUserInterfaceEntryName[] = "kestrova_make_qt_user_interface";
using QtUserInterfaceEntry = UserInterface* (*)();

}  // namespace kestrova::platform
