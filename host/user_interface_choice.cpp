#include "host/user_interface_choice.h"

#include <cstdlib>

#include "platform/console_user_interface.h"

#ifdef KESTROVA_WITH_QT
#include "platform/qt/qt_user_interface.h"
#endif

namespace kestrova::host {
namespace {

bool EnvironmentSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

UiEnvironment CurrentUiEnvironment() {
    UiEnvironment environment;
#ifdef KESTROVA_WITH_QT
    environment.qtBuilt = true;
#endif
    environment.display = EnvironmentSet("DISPLAY") || EnvironmentSet("WAYLAND_DISPLAY");
    environment.qtPlatformChosen = EnvironmentSet("QT_QPA_PLATFORM");
    return environment;
}

std::variant<UiKind, std::string> ChooseUi(UiChoice choice, bool confirmGiven,
                                           const UiEnvironment& environment) {
    switch (choice) {
        case UiChoice::Console:
            return UiKind::Console;
        case UiChoice::Qt:
            if (!environment.qtBuilt) {
                return std::string("--ui qt: kestrova was built without Qt 6 (qt6-base-dev)");
            }
            // Qt would abort the process without a place to draw.
            if (!environment.display && !environment.qtPlatformChosen) {
                return std::string(
                    "--ui qt: no display (DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM)");
            }
            return UiKind::Qt;
        case UiChoice::Auto:
            break;
    }
    if (!confirmGiven && environment.qtBuilt && environment.display) {
        return UiKind::Qt;
    }
    return UiKind::Console;
}

platform::ConfirmMode ConsoleConfirmMode(const std::optional<ConfirmAnswer>& confirm, bool terminal,
                                         platform::ConfirmMode fallback) {
    if (confirm) {
        return *confirm == ConfirmAnswer::Ok ? platform::ConfirmMode::kOk
                                             : platform::ConfirmMode::kCancel;
    }
    return terminal ? platform::ConfirmMode::kAsk : fallback;
}

std::unique_ptr<platform::UserInterface> MakeUserInterface(UiKind kind, std::ostream& out,
                                                           platform::ConfirmMode confirm) {
#ifdef KESTROVA_WITH_QT
    if (kind == UiKind::Qt) {
        return platform::MakeQtUserInterface();
    }
#else
    static_cast<void>(kind);
#endif
    return std::make_unique<platform::ConsoleUserInterface>(out, confirm, 0);
}

}  // namespace kestrova::host
