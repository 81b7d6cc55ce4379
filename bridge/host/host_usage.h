#pragma once

// What kestrova-host says when a person starts it with --help or --version.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kestrova::bridge {

// The help text when the arguments ask for it (--help, -h), else the
// version line with the wire protocol's version (--version), else nothing. `configFile` is the
// installed configuration file's path.
std::optional<std::string> HelpOrVersionAsked(std::span<const std::string_view> arguments,
                                              std::string_view configFile);

std::string HostUsageText(std::string_view configFile);

}  // namespace kestrova::bridge
