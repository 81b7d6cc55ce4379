#include "host/command_line.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#ifndef KESTROVA_VERSION
#error "The build names the version"
#endif

namespace kestrova::host {
namespace {

// An option applies to every command. A value is given as "--name VALUE" or
// "--name=VALUE"; an optional one only as "--name=VALUE", so that
// "--simulate FILE" leaves FILE to the command.
enum class OptionValue { None, Required, Optional };

struct OptionSpec {
    std::string_view name;
    OptionValue value;
    std::string_view valueName;
    std::string_view help;
    // False when the value is not one the option takes.
    bool (*apply)(Options& options, std::string_view value);
};

// Sets `target` to the choice named by `value`; false for a word not listed.
template <typename Choice, std::size_t kCount>
bool Choose(std::string_view value,
            const std::array<std::pair<std::string_view, Choice>, kCount>& words,
            std::optional<Choice>& target) {
    const auto found = std::ranges::find(words, value, &std::pair<std::string_view, Choice>::first);
    if (found == words.end()) {
        return false;
    }
    target = found->second;
    return true;
}

constexpr std::array<std::pair<std::string_view, UiChoice>, 3> kUiWords = {{
    {"qt", UiChoice::Qt},
    {"console", UiChoice::Console},
    {"auto", UiChoice::Auto},
}};
constexpr std::array<std::pair<std::string_view, ConfirmAnswer>, 2> kConfirmWords = {{
    {"ok", ConfirmAnswer::Ok},
    {"cancel", ConfirmAnswer::Cancel},
}};

constexpr std::array kOptionSpecs = {
    OptionSpec{"--json", OptionValue::None, "",
               "print one JSON object per call instead of the text form",
               [](Options& options, std::string_view) {
                   options.json = true;
                   return true;
               }},
    OptionSpec{"--page-url", OptionValue::Required, "URL",
               "the address of the page the control serves (UTF-8)",
               [](Options& options, std::string_view value) {
                   options.pageUrl = std::string(value);
                   return true;
               }},
    OptionSpec{"--pcsc-library", OptionValue::Required, "PATH",
               "bind this PC/SC service library instead of libpcsclite.so.1",
               [](Options& options, std::string_view value) {
                   options.pcscLibrary = std::string(value);
                   return true;
               }},
    OptionSpec{
        "--simulate", OptionValue::Optional, "PROFILE",
        "bind the simulated PC/SC service with the virtual readers and cards of the card "
        "profile PROFILE (JSON, sim/profiles/PROFILES.md), or the built-in ones, instead of the "
        "system's service",
        [](Options& options, std::string_view value) {
            options.simulate = true;
            options.profile = std::string(value);
            return true;
        }},
    OptionSpec{"--ui", OptionValue::Required, "qt|console|auto",
               "where the confirmation window is shown: a Qt window, the terminal, or "
               "(the default) a Qt window when DISPLAY or WAYLAND_DISPLAY is set and kestrova "
               "was built with Qt, else the terminal",
               [](Options& options, std::string_view value) {
                   std::optional<UiChoice> chosen;
                   if (!Choose(value, kUiWords, chosen)) {
                       return false;
                   }
                   options.ui = *chosen;
                   return true;
               }},
    OptionSpec{"--confirm", OptionValue::Required, "ok|cancel",
               "answer the confirmation window in the terminal without asking: press OK as soon "
               "as it is enabled, or Cancel at once (the terminal view only; with --ui auto it "
               "chooses the terminal)",
               [](Options& options, std::string_view value) {
                   return Choose(value, kConfirmWords, options.confirm);
               }},
    OptionSpec{"--root", OptionValue::Required, "DIR",
               "doctor: check the installation staged under DIR (as cmake --install with DESTDIR "
               "puts it) instead of the system's",
               [](Options& options, std::string_view value) {
                   options.root = std::string(value);
                   return !value.empty();
               }},
    OptionSpec{"--long", OptionValue::None, "",
               "methods: also what each method does, what its parameters mean and the result "
               "codes it returns",
               [](Options& options, std::string_view) {
                   options.longList = true;
                   return true;
               }},
};

struct CommandSpec {
    std::string_view name;
    Command command;
    bool takesFile;
};

constexpr std::array kCommandSpecs = {
    CommandSpec{"run", Command::Run, true},          CommandSpec{"shell", Command::Shell, false},
    CommandSpec{"methods", Command::Methods, false}, CommandSpec{"demo", Command::Demo, false},
    CommandSpec{"help", Command::Help, false},       CommandSpec{"doctor", Command::Doctor, false},
};

const OptionSpec* FindOption(std::string_view name) {
    const auto found = std::ranges::find(kOptionSpecs, name, &OptionSpec::name);
    return found == kOptionSpecs.end() ? nullptr : &*found;
}

const CommandSpec* FindCommand(std::string_view name) {
    const auto found = std::ranges::find(kCommandSpecs, name, &CommandSpec::name);
    return found == kCommandSpecs.end() ? nullptr : &*found;
}

}  // namespace

std::string WrapText(const std::string& lead, std::string_view words) {
    constexpr std::size_t kLineWidth = 78;
    std::string text = lead;
    std::size_t lineStart = 0;
    bool firstWord = true;
    while (!words.empty()) {
        const std::size_t space = words.find(' ');
        const std::string_view word = words.substr(0, space);
        words = space == std::string_view::npos ? std::string_view() : words.substr(space + 1);
        if (!firstWord && text.size() - lineStart + 1 + word.size() > kLineWidth) {
            text += "\n";
            lineStart = text.size();
            text.append(lead.size(), ' ');
        } else if (!firstWord) {
            text += ' ';
        }
        text += word;
        firstWord = false;
    }
    return text + "\n";
}

namespace {

// "--simulate PROFILE" written with a space: the profile would be taken as
// run's file of calls, or as a word out of place.
CommandLineError SimulateWithASpace(std::string_view profile) {
    return CommandLineError{"--simulate " + std::string(profile) + ": write --simulate=" +
                            std::string(profile) + " to name a card profile"};
}

bool LooksLikeProfile(std::string_view word) {
    return word.size() > 5 && word.substr(word.size() - 5) == ".json";
}

}  // namespace

std::variant<Options, CommandLineError> ParseCommandLine(
    std::span<const std::string_view> arguments) {
    Options options;
    const CommandSpec* command = nullptr;
    std::optional<std::string_view> file;
    // The index of the word right after a "--simulate" without "=".
    std::optional<std::size_t> afterBareSimulate;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            return Options{};
        }
        if (argument == "--version") {
            Options version;
            version.command = Command::Version;
            return version;
        }
        const bool rightAfterSimulate = afterBareSimulate == i;
        if (argument.starts_with("--")) {
            const std::size_t equals = argument.find('=');
            const OptionSpec* option = FindOption(argument.substr(0, equals));
            if (option == nullptr) {
                return CommandLineError{"unknown option " + std::string(argument)};
            }
            std::string_view value;
            if (option->value == OptionValue::None) {
                if (equals != std::string_view::npos) {
                    return CommandLineError{std::string(option->name) + " takes no value"};
                }
            } else if (equals != std::string_view::npos) {
                value = argument.substr(equals + 1);
                if (option->value == OptionValue::Optional && value.empty()) {
                    return CommandLineError{std::string(option->name) + "= needs a " +
                                            std::string(option->valueName) + " after the ="};
                }
            } else if (option->value == OptionValue::Optional) {
                // No value: the option's default.
                afterBareSimulate = i + 1;
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                return CommandLineError{std::string(option->name) + " needs a value (" +
                                        std::string(option->valueName) + ")"};
            }
            if (!option->apply(options, value)) {
                return CommandLineError{std::string(option->name) + " takes " +
                                        std::string(option->valueName) + ", not " +
                                        std::string(value)};
            }
        } else if (command == nullptr) {
            command = FindCommand(argument);
            if (command == nullptr) {
                return rightAfterSimulate
                           ? SimulateWithASpace(argument)
                           : CommandLineError{"unknown command " + std::string(argument)};
            }
        } else if (command->takesFile && !file) {
            if (rightAfterSimulate && LooksLikeProfile(argument)) {
                return SimulateWithASpace(argument);
            }
            file = argument;
        } else {
            return rightAfterSimulate
                       ? SimulateWithASpace(argument)
                       : CommandLineError{"unexpected argument " + std::string(argument)};
        }
    }
    if (command == nullptr) {
        return CommandLineError{"no command given"};
    }
    if (options.simulate && options.pcscLibrary) {
        return CommandLineError{"--simulate and --pcsc-library cannot be used together"};
    }
    if (options.ui == UiChoice::Qt && options.confirm) {
        return CommandLineError{
            "--confirm answers the window in the terminal; it cannot be used with --ui qt"};
    }
    if (command->command == Command::Demo &&
        (options.json || options.pageUrl || options.pcscLibrary || !options.profile.empty())) {
        return CommandLineError{
            "demo runs on the built-in virtual card and takes only --ui and --confirm"};
    }
    if (command->command == Command::Doctor &&
        (options.pageUrl || options.confirm || options.ui != UiChoice::Auto)) {
        return CommandLineError{
            "doctor takes only --json, --simulate[=PROFILE], --pcsc-library and --root"};
    }
    if (command->command != Command::Doctor && !options.root.empty()) {
        return CommandLineError{"--root is for doctor"};
    }
    if (command->command != Command::Methods && options.longList) {
        return CommandLineError{"--long is for methods"};
    }
    if (command->takesFile && !file) {
        return CommandLineError{std::string(command->name) +
                                " needs a file (or - for standard input)"};
    }
    options.command = command->command;
    options.file = file.value_or("");
    return options;
}

std::string UsageText() {
    std::string text = R"(Usage: kestrova COMMAND [OPTIONS]

Runs the calls a bank's page makes on the Kestrova control, without a browser.

Commands:
  run FILE      run the calls in FILE (- for standard input) on one control,
                one call per line, and stop at the first error
  shell         read calls from the terminal on one control; an error is
                reported and the shell goes on (end with Ctrl-D, "quit"
                or "exit"; "help" lists the methods)
  methods       list the control's methods with their parameters; those
                marked [allowed pages] answer -1 to any page but an https
                page of the allowed hosts (see --page-url); with --long
                also what each does and the codes it returns
  demo          a transfer on the built-in virtual card from start to end,
                each call printed with what it does; the card is taken out
                and put back while the confirmation window is open
  doctor        check this machine for a bank page: the PC/SC service, the
                readers and cards (ATR only), each browser's registration
                of kestrova-host and its extension, host.conf; one line per
                check with how to fix a problem (--json for tools); exits
                with 1 when anything needs fixing
  help          print this text (also --help, -h); --version prints the
                version

Options:
)";
    const auto nameWithValue = [](const OptionSpec& option) {
        switch (option.value) {
            case OptionValue::None:
                break;
            case OptionValue::Required:
                return std::string(option.name) + " " + std::string(option.valueName);
            case OptionValue::Optional:
                return std::string(option.name) + "[=" + std::string(option.valueName) + "]";
        }
        return std::string(option.name);
    };
    std::size_t width = 0;
    for (const OptionSpec& option : kOptionSpecs) {
        width = std::max(width, nameWithValue(option).size());
    }
    for (const OptionSpec& option : kOptionSpecs) {
        std::string name = nameWithValue(option);
        name.resize(width + 2, ' ');
        text += WrapText("  " + name, option.help);
    }
    text += R"(
Calls:
  One call per line: Method(arg, ...). Method names ignore case. Blank lines
  and lines starting with # are skipped; a # after a call starts a comment.
  An argument is
    an integer     decimal or 0x hex, with an optional -, within 32 bits
    a string       in double quotes, UTF-8 as is, with the escapes
                   \"  \\  \n  \t  \xHH (the character U+00HH, not a byte)
                   \uXXXX (one UTF-16 unit; two of them for a surrogate pair)
    null           a null BSTR (the method sees an empty string)
  Arguments are converted as a page's would be: "12" for a long parameter is
  the number 12, 12 for a BSTR parameter is the text "12". Strings reach the
  control in code page 950 (Big5); characters Big5 lacks become "?".

Output:
  Each call prints one line, Method(args) -> result, with the arguments and
  the result written as above; a string method with nothing to return gives
  null. Strings come back from code page 950; bytes that are no Big5
  character print as U+FFFD, control characters as \xHH.
  With --json each call prints {"call": "DES", "args": [0, 8, "..."],
  "result": 0}; strings are JSON strings and a null BSTR is null.

Directives:
  A line whose first character is ':' acts on the host, not the control:
    :card remove [READER]           take the card out of a simulated reader
    :card insert [READER]           put it back
    :card remove-after MS [READER]  the same MS milliseconds later, while
    :card insert-after MS [READER]  the following lines run
    :sleep MS                       wait MS milliseconds
    :page [URL]                     serve the page at URL from now on;
                                    without URL the control is not sited
  READER is the rest of the line, blanks included; without it the directive
  acts on the first reader of the profile that has a card. Card directives
  need --simulate. MS is 0 to 600000. A # after a blank starts a comment.
  A directive prints itself as carried out (":card remove Kestrova Virtual
  Reader 0"); with --json it prints nothing. Scheduled moves still pending
  when the calls end are dropped.

Simulated readers:
  --simulate binds the simulated PC/SC service installed beside kestrova
  (../lib from its folder) with virtual readers and financial cards, so
  every method works without a reader. The built-in profile has "Kestrova
  Virtual Reader 0" with a T=0 card (PIN 123456; two EF1001 accounts, one
  EF1002 account) and the keypad reader "ACS ACR83U 00 00" with a T=1 card.
  --simulate=PROFILE takes them from a card profile file instead.

Errors and exit status:
  A syntax error or an automation error (unknown method, wrong number of
  arguments, an argument that does not convert), an unknown or failed
  directive, and a scheduled card move that fails print FILE:LINE: and the
  cause to standard error. run stops there and
  exits with 2; so do an unreadable file, a bad command line, a card
  profile with an error (the message names the field) and a missing
  simulated service. Otherwise the exit status is 0. A method's own result
  codes are results, not errors.

Demo:
  demo runs on the built-in virtual card (--simulate is implied) and takes
  only --ui and --confirm. Without --confirm a person at the terminal
  presses Enter; with no terminal on standard input it presses OK itself.
  It exits with 0 for a confirmed transfer, 1 for a cancelled or refused one.

Examples:
  kestrova doctor
  kestrova demo
  kestrova run examples/crypto.txt
  kestrova run --simulate examples/accounts.txt
  kestrova shell --simulate=examples/t1-card.json
)";
    return text;
}

std::string VersionText() {
    return "kestrova " KESTROVA_VERSION "\n";
}

}  // namespace kestrova::host
