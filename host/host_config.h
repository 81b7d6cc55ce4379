#pragma once

// kestrova-host's options, as its configuration file (host.conf) and the
// words before a browser's arguments give them. Here, below both hosts, so
// that `kestrova doctor` reads host.conf exactly as kestrova-host does.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/command_line.h"

namespace kestrova::host {

struct HostOptions {
    // The simulated readers and cards; profile empty: the built-in ones.
    bool simulate = false;
    std::string profile;
    // With simulate: the virtual card is taken out and put back by itself
    // while the confirmation window waits, as in `kestrova demo`.
    bool simulateRemoval = false;
    UiChoice ui = UiChoice::Auto;
    std::optional<ConfirmAnswer> confirm;
    // The diagnostics log's file; empty: no log.
    std::string logPath;
    // What the browser passed, in order.
    std::vector<std::string> callerArguments;
};

// One option word: "simulate", "simulate=PROFILE", "simulate-removal=auto",
// "ui=qt|console|auto", "confirm=ok|cancel", "log=PATH". The error names the
// word, or nothing on success.
std::optional<std::string> ApplyOptionWord(std::string_view word, HostOptions& options);

// A configuration file's text: one option word a line, blank lines and text
// after '#' ignored. The error names the line.
std::optional<std::string> ApplyConfigText(std::string_view text, HostOptions& options);

}  // namespace kestrova::host
