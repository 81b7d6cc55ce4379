#include "host/command_line.h"

#include <algorithm>
#include <array>
#include <optional>

namespace kestrova::host {
namespace {

// An option applies to every command; one that takes a value is given as
// "--name VALUE" or "--name=VALUE".
struct OptionSpec {
    std::string_view name;
    std::string_view valueName;  // empty: the option takes no value
    std::string_view help;
    void (*apply)(Options& options, std::string_view value);
};

constexpr std::array kOptionSpecs = {
    OptionSpec{"--json", "", "print one JSON object per call instead of the text form",
               [](Options& options, std::string_view) { options.json = true; }},
    OptionSpec{
        "--page-url", "URL", "the address of the page the control serves (UTF-8)",
        [](Options& options, std::string_view value) { options.pageUrl = std::string(value); }},
    OptionSpec{
        "--pcsc-library", "PATH", "bind this PC/SC service library instead of libpcsclite.so.1",
        [](Options& options, std::string_view value) { options.pcscLibrary = std::string(value); }},
};

struct CommandSpec {
    std::string_view name;
    Command command;
    bool takesFile;
};

constexpr std::array kCommandSpecs = {
    CommandSpec{"run", Command::Run, true},
    CommandSpec{"shell", Command::Shell, false},
    CommandSpec{"methods", Command::Methods, false},
    CommandSpec{"help", Command::Help, false},
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

std::variant<Options, CommandLineError> ParseCommandLine(
    std::span<const std::string_view> arguments) {
    Options options;
    const CommandSpec* command = nullptr;
    std::optional<std::string_view> file;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            return Options{};
        }
        if (argument.starts_with("--")) {
            const std::size_t equals = argument.find('=');
            const OptionSpec* option = FindOption(argument.substr(0, equals));
            if (option == nullptr) {
                return CommandLineError{"unknown option " + std::string(argument)};
            }
            std::string_view value;
            if (option->valueName.empty()) {
                if (equals != std::string_view::npos) {
                    return CommandLineError{std::string(option->name) + " takes no value"};
                }
            } else if (equals != std::string_view::npos) {
                value = argument.substr(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                return CommandLineError{std::string(option->name) + " needs a value (" +
                                        std::string(option->valueName) + ")"};
            }
            option->apply(options, value);
        } else if (command == nullptr) {
            command = FindCommand(argument);
            if (command == nullptr) {
                return CommandLineError{"unknown command " + std::string(argument)};
            }
        } else if (command->takesFile && !file) {
            file = argument;
        } else {
            return CommandLineError{"unexpected argument " + std::string(argument)};
        }
    }
    if (command == nullptr) {
        return CommandLineError{"no command given"};
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
  methods       list the control's methods with their parameters
  help          print this text (also --help, -h)

Options:
)";
    const auto nameWithValue = [](const OptionSpec& option) {
        return option.valueName.empty()
                   ? std::string(option.name)
                   : std::string(option.name) + " " + std::string(option.valueName);
    };
    std::size_t width = 0;
    for (const OptionSpec& option : kOptionSpecs) {
        width = std::max(width, nameWithValue(option).size());
    }
    for (const OptionSpec& option : kOptionSpecs) {
        std::string name = nameWithValue(option);
        name.resize(width + 2, ' ');
        text += "  " + name + std::string(option.help) + "\n";
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

Errors and exit status:
  A syntax error or an automation error (unknown method, wrong number of
  arguments, an argument that does not convert, a method not available yet)
  prints FILE:LINE: and the cause to standard error. run stops there and
  exits with 2; so do an unreadable file and a bad command line. Otherwise
  the exit status is 0. A method's own result codes are results, not errors.

Example:
  kestrova run examples/crypto.txt
)";
    return text;
}

}  // namespace kestrova::host
