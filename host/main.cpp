// kestrova: runs a page's calls on the control from a file or a terminal.

#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "control/kestrova_ctrl.h"
#include "host/call_runner.h"
#include "host/command_line.h"
#include "host/demo.h"
#include "host/doctor.h"
#include "host/input_file.h"
#include "host/page_site.h"
#include "host/script_directives.h"
#include "host/simulated_service.h"
#include "host/user_interface_choice.h"
#include "platform/terminal.h"
#include "reader/service_binding.h"

namespace {

using namespace kestrova::host;

int RunOn(kestrova::CKestrovaCtrl& control, const Options& options, ScriptDirectives& directives) {
    RunSettings settings;
    settings.json = options.json;
    if (options.command == Command::Shell) {
        settings.sourceName = "shell";
        settings.interactive = true;
        return RunCalls(control, std::cin, std::cout, std::cerr, settings, &directives);
    }
    if (options.file == "-") {
        settings.sourceName = "<stdin>";
        settings.flushEachResult = true;
        return RunCalls(control, std::cin, std::cout, std::cerr, settings, &directives);
    }
    std::ifstream file;
    if (const auto reason = OpenInputFile(options.file, file)) {
        std::cerr << "kestrova: cannot open " << options.file << ": " << *reason << '\n';
        return kExitFailure;
    }
    settings.sourceName = options.file;
    return RunCalls(control, file, std::cout, std::cerr, settings, &directives);
}

int Run(const Options& options) {
    // Declared first, so it goes last: the control's card service may hold
    // cards of the simulation until the control is gone.
    std::unique_ptr<SimulatedService> simulation;
    if (options.simulate) {
        auto started = SimulatedService::Start(options.profile);
        if (const auto* error = std::get_if<std::string>(&started)) {
            std::cerr << "kestrova: --simulate: " << *error << '\n';
            return kExitFailure;
        }
        simulation = std::move(std::get<std::unique_ptr<SimulatedService>>(started));
        kestrova::SetCardServiceLibrary(simulation->ServiceLibraryPath().c_str());
    } else if (options.pcscLibrary) {
        kestrova::SetCardServiceLibrary(options.pcscLibrary->c_str());
    }
    const auto chosen = ChooseUi(options.ui, options.confirm.has_value(), CurrentUiEnvironment());
    if (const auto* error = std::get_if<std::string>(&chosen)) {
        std::cerr << "kestrova: " << *error << '\n';
        return kExitFailure;
    }
    // The console window goes to standard error, beside the calls' output.
    const std::unique_ptr<kestrova::platform::UserInterface> userInterface =
        MakeUserInterface(std::get<UiKind>(chosen), std::cerr,
                          ConsoleConfirmMode(options.confirm, kestrova::platform::IsTerminal(0),
                                             kestrova::platform::ConfirmMode::kAsk));
    kestrova::CKestrovaCtrl control;
    PageSite page(control, userInterface.get());
    if (options.pageUrl && !page.Serve(*options.pageUrl)) {
        std::cerr << "kestrova: --page-url is not UTF-8\n";
        return kExitFailure;
    }
    // Declared after the control and the simulation: its moves stop first.
    ScriptDirectives directives(page, simulation.get());
    return RunOn(control, options, directives);
}

// Checks the service the options name, and the installation they name.
int Doctor(const Options& options) {
    std::unique_ptr<SimulatedService> simulation;
    if (options.simulate) {
        auto started = SimulatedService::Start(options.profile);
        if (const auto* error = std::get_if<std::string>(&started)) {
            std::cerr << "kestrova: --simulate: " << *error << '\n';
            return kExitFailure;
        }
        simulation = std::move(std::get<std::unique_ptr<SimulatedService>>(started));
        kestrova::SetCardServiceLibrary(simulation->ServiceLibraryPath().c_str());
    } else if (options.pcscLibrary) {
        kestrova::SetCardServiceLibrary(options.pcscLibrary->c_str());
    }
    InstallLayout layout = InstalledLayout();
    layout.root = options.root;
    // kestrova-host reads KESTROVA_HOST_CONFIG when it is set.
    const char* named = std::getenv("KESTROVA_HOST_CONFIG");
    layout.configFile =
        named != nullptr && *named != '\0' ? named : options.root + layout.configFile;
    const DoctorReport report = RunDoctor(layout, kComponentVersion, kBridgeProtocolVersion);
    std::cout << (options.json ? ReportJson(report) : ReportText(report));
    return report.AllPassed() ? kExitSuccess : 1;
}

int Main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const auto parsed = ParseCommandLine(arguments);
    if (const auto* error = std::get_if<CommandLineError>(&parsed)) {
        std::cerr << "kestrova: " << error->message << " (see kestrova --help)\n";
        return kExitFailure;
    }
    const Options& options = std::get<Options>(parsed);
    switch (options.command) {
        case Command::Help:
            std::cout << UsageText();
            return kExitSuccess;
        case Command::Version:
            std::cout << VersionText();
            return kExitSuccess;
        case Command::Methods:
            PrintMethods(std::cout, options.longList);
            return kExitSuccess;
        case Command::Run:
        case Command::Shell:
            return Run(options);
        case Command::Demo:
            return RunDemo(options, std::cout, std::cerr);
        case Command::Doctor:
            return Doctor(options);
    }
    return kExitFailure;
}

}  // namespace

int main(int argc, char** argv) {
    // Nothing below throws on purpose; running out of memory is the one way
    // out, and it should still end with a message and the failure status.
    try {
        return Main(argc, argv);
    } catch (const std::exception& exception) {
        std::cerr << "kestrova: " << exception.what() << '\n';
        return kExitFailure;
    }
}
