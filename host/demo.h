#pragma once

// kestrova demo: a page's typical transfer on the built-in virtual card, each
// call printed as it happens with a line on what it does.

#include <iosfwd>

#include "host/command_line.h"

namespace kestrova::host {

// The exit status of a demo whose transfer was declined or failed.
inline constexpr int kExitDeclined = 1;

// Returns kExitSuccess for a confirmed transfer, kExitDeclined when the
// window or the card refused it, kExitFailure when the demo could not run.
// Without --confirm and without a terminal on standard input nobody can
// answer the window, so the console view presses OK once it is enabled.
int RunDemo(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace kestrova::host
