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
#include "reader/service_binding.h"

#ifdef _WIN32
#include "platform/default_user_interface.h"
#include "platform/executable_location.h"
#else
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
    return bridge::RunBridgeSession(STDIN_FILENO, messages, platform::DefaultUserInterface());
}

#else

int Main(int argc, char** argv) {
    if (const auto asked = HelpOrVersion(argc, argv)) {
        return *asked;
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
    const auto chosen =
        host::ChooseUi(options.ui, options.confirm.has_value(), host::CurrentUiEnvironment());
    if (const auto* failure = std::get_if<std::string>(&chosen)) {
        Log() << *failure << '\n';
        return kExitRefused;
    }
    // Standard input is the browser's: the text window never reads it, and
    // cancels unless told to confirm.
    const std::unique_ptr<platform::UserInterface> view = host::MakeUserInterface(
        std::get<host::UiKind>(chosen), std::cerr,
        host::ConsoleConfirmMode(options.confirm, false, platform::ConfirmMode::kCancel));
    const int messages = SetMessagesAside();
    if (messages < 0) {
        Log() << "cannot set standard output aside\n";
        return kExitRefused;
    }
    return bridge::RunBridgeSession(STDIN_FILENO, messages, *view);
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
