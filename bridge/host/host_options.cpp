#include "bridge/host/host_options.h"

namespace kestrova::bridge {
namespace {

// The start of ApplyOptionWord's error for a word it does not know.
constexpr std::string_view kUnknownOption = "unknown option";

bool LooksLikeProfile(std::string_view word) {
    return word.size() > 5 && word.substr(word.size() - 5) == ".json";
}

}  // namespace

std::optional<std::string> ApplyCommandLine(std::span<const std::string_view> arguments,
                                            HostOptions& options) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument.starts_with("--parent-window=")) {
            continue;
        }
        if (argument.starts_with("--")) {
            if (auto error = ApplyOptionWord(argument.substr(2), options)) {
                return error->starts_with(kUnknownOption)
                           ? std::string(kUnknownOption) + " '" + std::string(argument) + "'"
                           : *error;
            }
            // A browser's arguments after "--simulate" are never a lone
            // profile: Firefox's manifest path comes with the extension's id.
            if (argument == "--simulate" && i + 2 == arguments.size() &&
                LooksLikeProfile(arguments[i + 1])) {
                return "--simulate " + std::string(arguments[i + 1]) +
                       ": write --simulate=" + std::string(arguments[i + 1]) +
                       " to name a card profile";
            }
            continue;
        }
        options.callerArguments.emplace_back(argument);
    }
    return std::nullopt;
}

bool StartedForOurExtension(const std::vector<std::string>& callerArguments,
                            std::string_view chromiumExtensionId,
                            std::string_view geckoExtensionId) {
    if (callerArguments.size() == 1) {
        return callerArguments[0] == "chrome-extension://" + std::string(chromiumExtensionId) + "/";
    }
    return callerArguments.size() == 2 && !callerArguments[0].empty() &&
           callerArguments[1] == geckoExtensionId;
}

}  // namespace kestrova::bridge
