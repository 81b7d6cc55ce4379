#include "bridge/host/host_usage.h"

#include <algorithm>

#if !defined(KESTROVA_VERSION) || !defined(KESTROVA_PROTOCOL_VERSION)
#error "The build names the versions"
#endif

namespace kestrova::bridge {

std::optional<std::string> HelpOrVersionAsked(std::span<const std::string_view> arguments,
                                              std::string_view configFile) {
    const auto given = [&arguments](std::string_view word) {
        return std::ranges::find(arguments, word) != arguments.end();
    };
    if (given("--help") || given("-h")) {
        return HostUsageText(configFile);
    }
    if (given("--version")) {
        return std::string("kestrova-host " KESTROVA_VERSION " (protocol ") +
               std::to_string(KESTROVA_PROTOCOL_VERSION) + ")\n";
    }
    return std::nullopt;
}

std::string HostUsageText(std::string_view configFile) {
    return R"(Usage: kestrova-host [--OPTION...] CALLER...
       kestrova-host --help | --version

The native messaging host of the Kestrova browser extension. A browser
starts it for each connection of a bank's page, with CALLER naming the
extension (Chromium: chrome-extension://ID/; Firefox: the host manifest's
path and the extension's id), and exchanges messages with it on standard
input and output. Started by anyone else it refuses to run. What it has to
say goes to standard error, which the browser keeps in its log.

Options, one a line in the configuration file, or on the command line as
--OPTION before the browser's arguments (a wrapper script's):
  simulate            the built-in virtual readers and cards, no reader
                      needed (Linux only)
  simulate=PROFILE    the virtual readers and cards of a card profile (JSON)
  ui=qt|console|auto  the confirmation window: Qt, text in the browser's log,
                      or (the default) Qt where a display is
  confirm=ok|cancel   the text window presses OK or Cancel by itself

Configuration file: )" +
           std::string(configFile) +
           R"(, or the file that the environment variable
KESTROVA_HOST_CONFIG names (it must exist then). Blank lines and text after
# are ignored.

Exit status: 0 when the browser closed the connection, 1 when the host
refused to run or the connection broke.
)";
}

}  // namespace kestrova::bridge
