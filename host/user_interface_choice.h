#pragma once

// The user interface a command shows its confirmation window in: --ui and
// --confirm, the display and whether kestrova was built with Qt.

#include <iosfwd>
#include <memory>
#include <string>
#include <variant>

#include "host/command_line.h"
#include "platform/console_modal_run.h"
#include "platform/user_interface.h"

namespace kestrova::host {

enum class UiKind { Qt, Console };

struct UiEnvironment {
    bool qtBuilt = false;
    // DISPLAY or WAYLAND_DISPLAY is set.
    bool display = false;
    // QT_QPA_PLATFORM is set: Qt draws somewhere without a display.
    bool qtPlatformChosen = false;
};

UiEnvironment CurrentUiEnvironment();

// The view to use, or why the choice cannot be honoured. --confirm answers
// the terminal view, so under auto it chooses the terminal.
std::variant<UiKind, std::string> ChooseUi(UiChoice choice, bool confirmGiven,
                                           const UiEnvironment& environment);

// The console's answer: --confirm when given, else the person at the terminal
// (`fallback` when there is none).
platform::ConfirmMode ConsoleConfirmMode(const std::optional<ConfirmAnswer>& confirm, bool terminal,
                                         platform::ConfirmMode fallback);

// The chosen view; the console one prints on `out` and reads standard input.
// `answerReason` says on the console why its confirm mode answers without
// asking.
std::unique_ptr<platform::UserInterface> MakeUserInterface(UiKind kind, std::ostream& out,
                                                           platform::ConfirmMode confirm,
                                                           std::string answerReason = "--confirm");

}  // namespace kestrova::host
