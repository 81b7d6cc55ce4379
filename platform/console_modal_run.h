#pragma once

// The console's modal loop: it runs a dialog's timers on the calling thread
// and reads the user's answer from a terminal between ticks.

#include <cstdint>
#include <iosfwd>
#include <string_view>

#include "platform/modal_dialog.h"

namespace kestrova::platform {

enum class ConfirmMode {
    kAsk,     // Enter presses OK when it is enabled, "c" and Enter cancels
    kOk,      // OK is pressed as soon as it becomes enabled
    kCancel,  // Cancel is pressed at once
};

// Shows the dialog on `out` and runs it until it ends. In kAsk mode the
// answer comes from `inputFd`; when that is no terminal, nobody can answer,
// so the window says so and ends as cancelled. `answerReason` says why a
// kOk or kCancel mode answers without asking ("--confirm").
std::int32_t RunConsoleModal(ModalDialog& dialog, std::ostream& out, ConfirmMode mode, int inputFd,
                             std::string_view answerReason = "--confirm");

}  // namespace kestrova::platform
