#pragma once

// How kestrova-host was started: the browser's arguments, which say who
// called it, and the host's own options from its configuration file and from
// words before the browser's arguments (a wrapper script's).

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_config.h"

namespace kestrova::bridge {

using host::ApplyConfigText;
using host::ApplyOptionWord;
using host::HostOptions;

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
