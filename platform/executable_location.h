#pragma once

// Where the running program's file is, so that a program can find the files
// installed beside it.

#include <string>

namespace kestrova::platform {

// The folder holding the running executable, as an absolute path without a
// trailing separator; empty when the system cannot say.
std::string ExecutableDirectory();

}  // namespace kestrova::platform
