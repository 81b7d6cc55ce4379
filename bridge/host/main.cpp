// kestrova-host: the native messaging host a browser starts for one page
// connection of the Kestrova extension.

#include <unistd.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <variant>
#include <vector>

#include "bridge/host/bridge_session.h"
#include "bridge/host/host_options.h"
#include "bridge/host/host_usage.h"
#include "bridge/host/session_log.h"
#include "host/doctor.h"
#include "reader/service_binding.h"

#ifdef _WIN32
#include "platform/default_user_interface.h"
#include "platform/executable_location.h"
#else
#include "host/card_moving_user_interface.h"
#include "host/simulated_service.h"
#include "host/user_interface_choice.h"
#endif

#if !defined(KESTROVA_CHROMIUM_EXTENSION_ID) || !defined(KESTROVA_GECKO_EXTENSION_ID)
#error "The build names the extension's ids"
#endif
#if !defined(_WIN32) && !defined(KESTROVA_HOST_CONFIG_FILE)
#error "The build names the configuration file"
#endif

namespace {

using namespace kestrova;

constexpr int kExitRefused = 1;

// Everything the host says goes to standard error, which the browser keeps
// in its log: standard output carries nothing but messages.
std::ostream& Log() {
    return std::cerr << "kestrova-host: ";
}

// The installed configuration file: on Windows host.conf beside the program.
std::string InstalledConfigFile() {
#ifdef _WIN32
    return platform::ExecutableDirectory() + "\\host.conf";
#else
    return KESTROVA_HOST_CONFIG_FILE;
#endif
}

// KESTROVA_HOST_CONFIG when set (it must exist), else the installed file
// when there is one.
std::optional<std::string> ReadConfiguration(bridge::HostOptions& options) {
    const char* named = std::getenv("KESTROVA_HOST_CONFIG");
    const std::string path = named != nullptr && *named != '\0' ? named : InstalledConfigFile();
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        const int reason = errno;
        return named != nullptr && *named != '\0'
                   ? std::optional<std::string>("cannot read " + path + ": " +
                                                std::generic_category().message(reason))
                   : std::nullopt;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (auto error = bridge::ApplyConfigText(text.str(), options)) {
        return path + ": " + *error;
    }
    return std::nullopt;
}

// "--doctor" or "--doctor --json": the checks of `kestrova doctor` on this
// installation, and their exit status; nothing for any other command line.
std::optional<int> Doctor(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (arguments.empty() || arguments[0] != "--doctor") {
        return std::nullopt;
    }
    const bool json = arguments.size() == 2 && arguments[1] == "--json";
    if (arguments.size() > (json ? 2U : 1U)) {
        Log() << "--doctor takes only --json\n";
        return kExitRefused;
    }
    host::InstallLayout layout = host::InstalledLayout();
    const char* named = std::getenv("KESTROVA_HOST_CONFIG");
    layout.configFile = named != nullptr && *named != '\0' ? named : InstalledConfigFile();
    const host::DoctorReport report =
        host::RunDoctor(layout, host::kComponentVersion, host::kBridgeProtocolVersion);
    std::cout << (json ? host::ReportJson(report) : host::ReportText(report));
    return report.AllPassed() ? 0 : 1;
}

// The diagnostics log's file, appended to; null when there is none or it
// cannot be opened (said on standard error: the page is served anyway).
std::unique_ptr<std::ofstream> OpenLog(const std::string& path) {
    if (path.empty()) {
        return nullptr;
    }
    auto file = std::make_unique<std::ofstream>(path, std::ios::app | std::ios::binary);
    if (!*file) {
        Log() << "log: cannot open " << path << " for appending\n";
        return nullptr;
    }
    return file;
}

// Serves the page, with the start and the end in the log.
int RunLogged(const bridge::HostOptions& options, int messages, platform::UserInterface& view) {
    const std::unique_ptr<std::ofstream> file = OpenLog(options.logPath);
    bridge::SessionLog log(file.get(), "pid " + std::to_string(getpid()));
    log.Started(host::kComponentVersion);
    const int status = bridge::RunBridgeSession(STDIN_FILENO, messages, view, &log);
    log.Ended(status);
    return status;
}

// Messages go out on a copy of standard output; whatever a library might
// print there goes to standard error, so that the browser reads nothing but
// messages. -1 when that cannot be done.
int SetMessagesAside() {
#ifdef _WIN32
    // A text-mode stream would turn 0x0A in a length into 0D 0A, and stop
    // reading at 0x1A.
    if (_setmode(STDIN_FILENO, _O_BINARY) < 0 || _setmode(STDOUT_FILENO, _O_BINARY) < 0) {
        return -1;
    }
#endif
    const int messages = dup(STDOUT_FILENO);
    if (messages < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        return -1;
    }
    return messages;
}

// A person asking for help or the version gets it, whatever the
// configuration says; the exit status then, else nothing.
std::optional<int> HelpOrVersion(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const auto text = bridge::HelpOrVersionAsked(arguments, InstalledConfigFile());
    if (!text) {
        return std::nullopt;
    }
    std::cout << *text;
    return 0;
}

// The options from the configuration file and the command line, and the
// check that a browser started us for our extension. False (after saying
// why on standard error) when the host must refuse to run.
bool TakeOptions(int argc, char** argv, bridge::HostOptions& options) {
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::optional<std::string> error = ReadConfiguration(options);
    if (!error) {
        error = bridge::ApplyCommandLine(arguments, options);
    }
#ifdef _WIN32
    if (!error && options.simulate) {
        error =
            "simulate: on Windows the simulated readers come as a winscard.dll beside "
            "kestrova-host.exe";
    }
#endif
    if (!error && options.simulateRemoval && !options.simulate) {
        error = "simulate-removal=auto moves the simulated card: it needs simulate";
    }
    if (error) {
        Log() << *error << " (see kestrova-host --help)\n";
        return false;
    }
    if (!bridge::StartedForOurExtension(options.callerArguments, KESTROVA_CHROMIUM_EXTENSION_ID,
                                        KESTROVA_GECKO_EXTENSION_ID)) {
        Log() << "not started by a browser for the Kestrova extension (see kestrova-host --help)\n";
        return false;
    }
    return true;
}

#ifdef _WIN32

int Main(int argc, char** argv) {
    if (const auto asked = HelpOrVersion(argc, argv)) {
        return *asked;
    }
    if (const auto checked = Doctor(argc, argv)) {
        return *checked;
    }
    bridge::HostOptions options;
    if (!TakeOptions(argc, argv, options)) {
        return kExitRefused;
    }
    const int messages = SetMessagesAside();
    if (messages < 0) {
        Log() << "cannot set standard output aside\n";
        return kExitRefused;
    }
    // The system's windows: the confirmation dialog and the message boxes.
    return RunLogged(options, messages, platform::DefaultUserInterface());
}

#else

// Why the text window answers by itself: it writes to the browser's log,
// where nobody can answer it.
std::string AnswerReason(const bridge::HostOptions& options,
                         const host::UiEnvironment& environment) {
    if (options.confirm) {
        return *options.confirm == host::ConfirmAnswer::Ok ? "confirm=ok" : "confirm=cancel";
    }
    if (options.ui == host::UiChoice::Console) {
        return "ui=console, and nobody can answer in the browser's log";
    }
    if (!environment.qtBuilt) {
        return "kestrova-host has no Qt window";
    }
    return "no display for the window: DISPLAY and WAYLAND_DISPLAY are unset";
}

int Main(int argc, char** argv) {
    if (const auto asked = HelpOrVersion(argc, argv)) {
        return *asked;
    }
    if (const auto checked = Doctor(argc, argv)) {
        return *checked;
    }
    // A reply to a browser that has gone is a failed write, not a signal.
    static_cast<void>(std::signal(SIGPIPE, SIG_IGN));
    bridge::HostOptions options;
    if (!TakeOptions(argc, argv, options)) {
        return kExitRefused;
    }
    // Declared first, so it goes last: the control may hold its cards.
    std::unique_ptr<host::SimulatedService> simulation;
    if (options.simulate) {
        auto started = host::SimulatedService::Start(options.profile);
        if (const auto* failure = std::get_if<std::string>(&started)) {
            Log() << "simulate: " << *failure << '\n';
            return kExitRefused;
        }
        simulation = std::move(std::get<std::unique_ptr<host::SimulatedService> >(started));
        SetCardServiceLibrary(simulation->ServiceLibraryPath().c_str());
    }
    const host::UiEnvironment environment = host::CurrentUiEnvironment();
    const auto chosen = host::ChooseUi(options.ui, options.confirm.has_value(), environment);
    if (const auto* failure = std::get_if<std::string>(&chosen)) {
        Log() << *failure << '\n';
        return kExitRefused;
    }
    // Standard input is the browser's: the text window never reads it, and
    // cancels unless told to confirm.
    const std::unique_ptr<platform::UserInterface> view = host::MakeUserInterface(
        std::get<host::UiKind>(chosen), std::cerr,
        host::ConsoleConfirmMode(options.confirm, false, platform::ConfirmMode::kCancel),
        AnswerReason(options, environment));
    std::unique_ptr<platform::UserInterface> movingCard;
    if (options.simulateRemoval) {
        movingCard = std::make_unique<host::CardMovingUserInterface>(*view, *simulation, std::cerr);
    }
    const int messages = SetMessagesAside();
    if (messages < 0) {
        Log() << "cannot set standard output aside\n";
        return kExitRefused;
    }
    return RunLogged(options, messages, movingCard ? *movingCard : *view);
}

#endif

}  // namespace

int main(int argc, char** argv) {
    try {
        return Main(argc, argv);
    } catch (const std::exception& exception) {
        Log() << exception.what() << '\n';
        return kExitRefused;
    }
}
