#pragma once

// How kestrova-host was started: the browser's arguments, which say who
// called it, and the host's own options from its configuration file and from
// words before the browser's arguments (a wrapper script's).

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/command_line.h"

namespace kestrova::bridge {

struct HostOptions {
    // The simulated readers and cards; profile empty: the built-in ones.
    bool simulate = false;
    std::string profile;
    host::UiChoice ui = host::UiChoice::Auto;
    std::optional<host::ConfirmAnswer> confirm;
    // What the browser passed, in order.
    std::vector<std::string> callerArguments;
};

// One option word: "simulate", "simulate=PROFILE", "ui=qt|console|auto",
// "confirm=ok|cancel". The error names the word, or nothing on success.
std::optional<std::string> ApplyOptionWord(std::string_view word, HostOptions& options);

// A configuration file's text: one option word a line, blank lines and text
// after '#' ignored. The error names the line.
std::optional<std::string> ApplyConfigText(std::string_view text, HostOptions& options);

// The arguments after the program name: "--WORD" is an option word, anything
// else is the browser's. Chrome's "--parent-window=N" (Windows) is ignored.
std::optional<std::string> ApplyCommandLine(std::span<const std::string_view> arguments,
                                            HostOptions& options);

// Chromium and Chrome pass "chrome-extension://ID/"; Firefox passes the host
// manifest's path and then the extension's id.
bool StartedForOurExtension(const std::vector<std::string>& callerArguments,
                            std::string_view chromiumExtensionId,
                            std::string_view geckoExtensionId);

}  // namespace kestrova::bridge
