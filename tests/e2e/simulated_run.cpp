// Runs a page's calls on one control bound to the simulated PC/SC service
// holding a card profile: the simulated half of the end-to-end tests, until
// `kestrova run --simulate=PROFILE` takes its place. Lines ":card remove
// READER" and ":card insert READER" take the card out or put it back between
// calls.
//
// Usage: kestrova_e2e_simulated_run PROFILE PAGE_URL FILE

#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "control/kestrova_ctrl.h"
#include "control/unicode_text.h"
#include "host/call_runner.h"
#include "platform/console_user_interface.h"
#include "platform/hosting_page.h"
#include "reader/service_binding.h"
#include "sim/card_profile.h"
#include "sim/profile_installer.h"
#include "sim/simulated_pcsc.h"

namespace {

constexpr int kExitFailure = 2;

// True when the line was a directive (done, or reported on err).
bool RunDirective(const std::string& line, bool& failed) {
    constexpr std::string_view kRemove = ":card remove ";
    constexpr std::string_view kInsert = ":card insert ";
    if (!line.starts_with(':')) {
        return false;
    }
    bool done = false;
    if (line.starts_with(kRemove)) {
        done = kestrova::sim::RemoveCard(line.substr(kRemove.size()));
    } else if (line.starts_with(kInsert)) {
        done = kestrova::sim::InsertCard(line.substr(kInsert.size()));
    }
    if (!done) {
        std::cerr << "kestrova_e2e_simulated_run: cannot do " << line << '\n';
        failed = true;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: kestrova_e2e_simulated_run PROFILE PAGE_URL FILE\n";
        return kExitFailure;
    }
    const auto profile = kestrova::sim::LoadCardProfile(argv[1]);
    if (const auto* error = std::get_if<kestrova::sim::ProfileError>(&profile)) {
        std::cerr << error->message << '\n';
        return kExitFailure;
    }
    std::string installError;
    if (!kestrova::sim::InstallCardProfile(std::get<kestrova::sim::CardProfile>(profile),
                                           &installError)) {
        std::cerr << installError << '\n';
        return kExitFailure;
    }
    std::ifstream file(argv[3], std::ios::binary);
    if (!file) {
        std::cerr << "cannot open " << argv[3] << '\n';
        return kExitFailure;
    }
    // The library this program links is the one bound by path: one service.
    kestrova::SetCardServiceLibrary(KESTROVA_SIM_PCSC_LIBRARY);
    const auto url = kestrova::Utf8ToUtf16(argv[2]);
    if (!url) {
        std::cerr << "the page address is not UTF-8\n";
        return kExitFailure;
    }
    kestrova::platform::StatedHostingPage page(*url);
    kestrova::platform::ConsoleUserInterface userInterface;
    kestrova::CKestrovaCtrl control;
    control.SetClientSite(&page, &userInterface);

    kestrova::host::RunSettings settings;
    settings.sourceName = argv[3];
    std::string line;
    bool failed = false;
    while (!failed && std::getline(file, line)) {
        if (RunDirective(line, failed)) {
            continue;
        }
        std::istringstream one(line);
        if (kestrova::host::RunCalls(control, one, std::cout, std::cerr, settings) !=
            kestrova::host::kExitSuccess) {
            failed = true;
        }
    }
    return failed ? kExitFailure : 0;
}
