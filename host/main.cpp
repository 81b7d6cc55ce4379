// kestrova: runs a page's calls on the control from a file or a terminal.

#include <exception>
#include <fstream>
#include <iostream>
#include <optional>
#include <string_view>
#include <vector>

#include "control/kestrova_ctrl.h"
#include "control/unicode_text.h"
#include "host/call_runner.h"
#include "host/command_line.h"
#include "platform/console_user_interface.h"
#include "platform/hosting_page.h"
#include "reader/service_binding.h"

namespace {

using namespace kestrova::host;

int Run(const Options& options) {
    std::optional<kestrova::platform::StatedHostingPage> page;
    if (options.pageUrl) {
        std::optional<std::u16string> url = kestrova::Utf8ToUtf16(*options.pageUrl);
        if (!url) {
            std::cerr << "kestrova: --page-url is not UTF-8\n";
            return kExitFailure;
        }
        page.emplace(*url);
    }
    if (!options.pcscLibrary.empty()) {
        kestrova::SetCardServiceLibrary(options.pcscLibrary.c_str());
    }
    kestrova::platform::ConsoleUserInterface userInterface;
    kestrova::CKestrovaCtrl control;
    control.SetClientSite(page ? &*page : nullptr, &userInterface);
    RunSettings settings;
    settings.json = options.json;
    if (options.command == Command::Shell) {
        settings.sourceName = "shell";
        settings.interactive = true;
        return RunCalls(control, std::cin, std::cout, std::cerr, settings);
    }
    if (options.file == "-") {
        settings.sourceName = "<stdin>";
        return RunCalls(control, std::cin, std::cout, std::cerr, settings);
    }
    std::ifstream file(options.file, std::ios::binary);
    if (!file) {
        std::cerr << "kestrova: cannot open " << options.file << '\n';
        return kExitFailure;
    }
    settings.sourceName = options.file;
    return RunCalls(control, file, std::cout, std::cerr, settings);
}

int Main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const auto parsed = ParseCommandLine(arguments);
    if (const auto* error = std::get_if<CommandLineError>(&parsed)) {
        std::cerr << "kestrova: " << error->message << "\n\n" << UsageText();
        return kExitFailure;
    }
    const Options& options = std::get<Options>(parsed);
    switch (options.command) {
        case Command::Help:
            std::cout << UsageText();
            return kExitSuccess;
        case Command::Methods:
            PrintMethods(std::cout);
            return kExitSuccess;
        case Command::Run:
        case Command::Shell:
            return Run(options);
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
