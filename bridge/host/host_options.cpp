#include "bridge/host/host_options.h"

namespace kestrova::bridge {

std::optional<std::string> ApplyCommandLine(std::span<const std::string_view> arguments,
                                            HostOptions& options) {
    for (const std::string_view argument : arguments) {
        if (argument.starts_with("--parent-window=")) {
            continue;
        }
        if (argument.starts_with("--")) {
            if (auto error = ApplyOptionWord(argument.substr(2), options)) {
                return error;
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
