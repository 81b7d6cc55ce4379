#include "host/user_interface_choice.h"

#include <cstdlib>
#include <ostream>

#include "platform/console_user_interface.h"

#ifdef KESTROVA_WITH_QT
#include <filesystem>
#include <system_error>

#include "platform/dynamic_library.h"
#include "platform/executable_location.h"
#include "platform/qt/qt_user_interface_module.h"

#if !defined(KESTROVA_QT_UI_DIR) || !defined(KESTROVA_QT_UI_FILE)
#error "The build names the Qt view's module and where it is"
#endif
#endif

namespace kestrova::host {
namespace {

bool EnvironmentSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

#ifdef KESTROVA_WITH_QT
// Where the build puts the Qt view's module, relative to kestrova's folder;
// empty when the system cannot say where kestrova runs from.
std::string QtModulePath() {
    const std::string programDirectory = platform::ExecutableDirectory();
    if (programDirectory.empty()) {
        return {};
    }
    return (std::filesystem::path(programDirectory) / KESTROVA_QT_UI_DIR / KESTROVA_QT_UI_FILE)
        .lexically_normal()
        .string();
}

bool QtModuleInstalled() {
    std::error_code ignored;
    const std::string path = QtModulePath();
    return !path.empty() && std::filesystem::is_regular_file(path, ignored);
}

// The module stays loaded: Qt keeps its application until the process ends.
std::unique_ptr<platform::UserInterface> LoadQtUserInterface() {
    const std::string path = QtModulePath();
    platform::DynamicLibrary* module = platform::LoadDynamicLibrary(path.c_str());
    const auto entry = reinterpret_cast<platform::QtUserInterfaceEntry>(
        platform::FindLibrarySymbol(module, platform::kQtUserInterfaceEntryName));
    return std::unique_ptr<platform::UserInterface>(entry != nullptr ? entry() : nullptr);
}
#endif

}  // namespace

UiEnvironment CurrentUiEnvironment() {
    UiEnvironment environment;
#ifdef KESTROVA_WITH_QT
    environment.qtBuilt = QtModuleInstalled();
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
                                                           platform::ConfirmMode confirm,
                                                           std::string answerReason) {
#ifdef KESTROVA_WITH_QT
    if (kind == UiKind::Qt) {
        if (auto qt = LoadQtUserInterface()) {
            return qt;
        }
        // Installed but not loadable (a Qt library missing): the window is
        // still shown, on the terminal.
        out << "kestrova: cannot load the Qt window from " << QtModulePath()
            << "; showing it on the terminal\n";
    }
#else
    static_cast<void>(kind);
#endif
    return std::make_unique<platform::ConsoleUserInterface>(out, confirm, 0,
                                                            std::move(answerReason));
}

}  // namespace kestrova::host
