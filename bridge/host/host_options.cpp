#include "bridge/host/host_options.h"

#include <array>
#include <utility>

namespace kestrova::bridge {
namespace {

template <typename Value, std::size_t Count>
using WordTable = std::array<std::pair<std::string_view, Value>, Count>;

constexpr WordTable<host::UiChoice, 3> kUiWords = {{{"auto", host::UiChoice::Auto},
                                                    {"qt", host::UiChoice::Qt},
                                                    {"console", host::UiChoice::Console}}};
constexpr WordTable<host::ConfirmAnswer, 2> kConfirmWords = {
    {{"ok", host::ConfirmAnswer::Ok}, {"cancel", host::ConfirmAnswer::Cancel}}};

template <typename Value, std::size_t Count>
std::optional<Value> LookUp(const WordTable<Value, Count>& table, std::string_view word) {
    for (const auto& [name, value] : table) {
        if (name == word) {
            return value;
        }
    }
    return std::nullopt;
}

constexpr std::string_view kUnknownOption = "unknown option";

bool LooksLikeProfile(std::string_view word) {
    return word.size() > 5 && word.substr(word.size() - 5) == ".json";
}

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::optional<std::string> ApplyOptionWord(std::string_view word, HostOptions& options) {
    const auto equals = word.find('=');
    const std::string_view name = word.substr(0, equals);
    const bool hasValue = equals != std::string_view::npos;
    const std::string_view value = hasValue ? word.substr(equals + 1) : std::string_view();
    if (name == "simulate") {
        if (hasValue && value.empty()) {
            return "simulate=: the card profile's path is empty";
        }
        options.simulate = true;
        options.profile = std::string(value);
        return std::nullopt;
    }
    if (name == "ui") {
        if (const auto ui = LookUp(kUiWords, value)) {
            options.ui = *ui;
            return std::nullopt;
        }
        return "ui: qt, console or auto, not '" + std::string(value) + "'";
    }
    if (name == "confirm") {
        if (const auto confirm = LookUp(kConfirmWords, value)) {
            options.confirm = *confirm;
            return std::nullopt;
        }
        return "confirm: ok or cancel, not '" + std::string(value) + "'";
    }
    return std::string(kUnknownOption) + " '" + std::string(word) + "'";
}

std::optional<std::string> ApplyConfigText(std::string_view text, HostOptions& options) {
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        line = Trimmed(line.substr(0, line.find('#')));
        if (line.empty()) {
            continue;
        }
        if (auto error = ApplyOptionWord(line, options)) {
            return "line " + std::to_string(lineNumber) + ": " + *error;
        }
    }
    return std::nullopt;
}

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
