#include "host/host_config.h"

#include <array>
#include <utility>

namespace kestrova::host {
namespace {

template <typename Value, std::size_t Count>
using WordTable = std::array<std::pair<std::string_view, Value>, Count>;

constexpr WordTable<UiChoice, 3> kUiWords = {
    {{"auto", UiChoice::Auto}, {"qt", UiChoice::Qt}, {"console", UiChoice::Console}}};
constexpr WordTable<ConfirmAnswer, 2> kConfirmWords = {
    {{"ok", ConfirmAnswer::Ok}, {"cancel", ConfirmAnswer::Cancel}}};

template <typename Value, std::size_t Count>
std::optional<Value> LookUp(const WordTable<Value, Count>& table, std::string_view word) {
    for (const auto& [name, value] : table) {
        if (name == word) {
            return value;
        }
    }
    return std::nullopt;
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
    if (name == "simulate-removal") {
        if (value != "auto") {
            return "simulate-removal: auto, not '" + std::string(value) + "'";
        }
        options.simulateRemoval = true;
        return std::nullopt;
    }
    if (name == "log") {
        if (value.empty()) {
            return "log: name the log's file, log=PATH";
        }
        options.logPath = std::string(value);
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
    return "unknown option '" + std::string(word) + "'";
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

}  // namespace kestrova::host
