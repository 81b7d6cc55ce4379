// kestrova-vicc: one virtual financial card in a vpcd reader of pcscd.

#include <unistd.h>

#include <exception>
#include <iostream>
#include <string_view>
#include <vector>

#include "sim/card/financial_card.h"
#include "sim/profiles/card_profile.h"
#include "sim/vicc/vicc_loop.h"
#include "sim/vicc/vicc_options.h"

namespace {

constexpr int kExitUsage = 2;

int Main(int argc, char** argv) {
    using namespace kestrova::sim;
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const auto parsed = vicc::ParseViccOptions(arguments);
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        std::cerr << "kestrova-vicc: " << *error << "\n\n" << vicc::ViccUsage();
        return kExitUsage;
    }
    const auto& options = std::get<vicc::ViccOptions>(parsed);
    if (options.help) {
        std::cout << vicc::ViccUsage();
        return vicc::kViccExitSuccess;
    }
    const ProfileResult profile = options.profilePath.empty()
                                      ? ProfileResult(DefaultCardProfile())
                                      : LoadCardProfile(options.profilePath);
    if (const auto* error = std::get_if<ProfileError>(&profile)) {
        std::cerr << "kestrova-vicc: " << error->message << '\n';
        return kExitUsage;
    }
    const auto content = vicc::ChooseCard(std::get<CardProfile>(profile), options.readerName);
    if (const auto* error = std::get_if<std::string>(&content)) {
        std::cerr << "kestrova-vicc: " << *error << '\n';
        return kExitUsage;
    }
    FinancialCard card(std::get<CardContent>(content));
    return vicc::RunVicc(options, card, STDIN_FILENO, std::cout, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
    // Nothing throws on purpose; running out of memory should still end with
    // a message and a failure status.
    try {
        return Main(argc, argv);
    } catch (const std::exception& exception) {
        std::cerr << "kestrova-vicc: " << exception.what() << '\n';
        return kestrova::sim::vicc::kViccExitFailure;
    }
}
