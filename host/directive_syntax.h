#pragma once

// Directive lines: lines whose first character other than a blank is ':'
// act on the host, not on the control.
//
//   :card remove [READER]            take the card out of a simulated reader
//   :card insert [READER]            put it back
//   :card remove-after MS [READER]   the same after MS milliseconds, while
//   :card insert-after MS [READER]   the following lines run
//   :sleep MS                        wait MS milliseconds
//   :page [URL]                      serve the page at URL; none: not sited
//
// READER is the rest of the line, so names may hold blanks; without one the
// host chooses. A '#' after a blank starts a comment (a page address may hold
// '#' itself). MS is 0 to kMaxDirectiveMilliseconds.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace kestrova::host {

inline constexpr std::uint32_t kMaxDirectiveMilliseconds = 600000;

enum class CardMove { Remove, Insert };

struct CardDirective {
    CardMove move = CardMove::Remove;
    // Set: the move is scheduled this long after the directive, not done at once.
    std::optional<std::uint32_t> afterMilliseconds;
    std::string reader;  // empty: the host's default reader
};

struct SleepDirective {
    std::uint32_t milliseconds = 0;
};

struct PageDirective {
    std::optional<std::string> url;  // none: the control is not sited
};

using Directive = std::variant<CardDirective, SleepDirective, PageDirective>;

struct DirectiveSyntaxError {
    std::string message;
};

using ParsedDirective = std::variant<Directive, DirectiveSyntaxError>;

bool IsDirectiveLine(std::string_view line);

// The directive of a line for which IsDirectiveLine holds.
ParsedDirective ParseDirectiveLine(std::string_view line);

// The line without its comment and surrounding blanks: how error messages
// quote it.
std::string DirectiveText(std::string_view line);

// A line that parses back to the directive: ":card remove-after 50 Reader A".
std::string FormatDirective(const Directive& directive);

}  // namespace kestrova::host
