#pragma once

// The kestrova command line: a command and its options.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace kestrova::host {

enum class Command { Help, Version, Run, Shell, Methods, Demo, Doctor };

// Where the confirmation window is shown. Auto: the Qt window when a display
// is available and kestrova was built with Qt, else the console.
enum class UiChoice { Auto, Qt, Console };

// How the console view answers the confirmation window instead of a person.
enum class ConfirmAnswer { Ok, Cancel };

struct Options {
    Command command = Command::Help;
    std::string file;  // for run; "-" is standard input
    bool json = false;
    // The page the control serves, for the hosting-page check; without it the
    // control is not sited and the guarded methods refuse.
    std::optional<std::string> pageUrl;
    // The PC/SC service library to bind instead of the system's.
    std::optional<std::string> pcscLibrary;
    // Bind the simulated service with the virtual cards of this card profile
    // (a JSON file; empty: the built-in profile).
    bool simulate = false;
    std::string profile;
    UiChoice ui = UiChoice::Auto;
    std::optional<ConfirmAnswer> confirm;
    // doctor: check an installation staged under this folder instead of
    // the system's.
    std::string root;
    // methods: each method with what it does, its parameters and its codes.
    bool longList = false;
};

struct CommandLineError {
    std::string message;
};

// The arguments after the program name.
std::variant<Options, CommandLineError> ParseCommandLine(
    std::span<const std::string_view> arguments);

std::string UsageText();

// `words` after `lead`, wrapped before column 78; the lines after the first
// are indented as far as `lead` is long.
std::string WrapText(const std::string& lead, std::string_view words);

// "kestrova VERSION", a line.
std::string VersionText();

}  // namespace kestrova::host
