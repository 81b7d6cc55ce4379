#pragma once

// Runs lines of calls on one control and prints each call with its result.

#include <istream>
#include <ostream>
#include <string>

#include "control/kestrova_ctrl.h"
#include "host/script_directives.h"

namespace kestrova::host {

struct RunSettings {
    std::string sourceName;  // named in error messages
    bool json = false;
    // Interactive: a prompt before each line, errors do not stop the run,
    // and "help", "quit" and "exit" are understood.
    bool interactive = false;
    // Each result goes out as soon as it is printed, for a program that
    // writes the next line only once it has read the last one's result.
    bool flushEachResult = false;
};

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 2;

// Returns the exit status: kExitFailure after the first syntax or automation
// error, failed directive or failed scheduled card move of a non-interactive
// run, else kExitSuccess. Directive lines go to `directives` (null: they are
// errors); in text form each prints the directive it carried out, with
// --json nothing. At the end the directives' scheduled moves not yet due are
// dropped.
int RunCalls(CKestrovaCtrl& control, std::istream& in, std::ostream& out, std::ostream& err,
             const RunSettings& settings, ScriptDirectives* directives = nullptr);

// Every method with its parameters, one per line; with descriptions, each
// followed by what it does, what its parameters mean and its result codes.
void PrintMethods(std::ostream& out, bool withDescriptions = false);

}  // namespace kestrova::host
