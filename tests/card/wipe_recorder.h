#pragma once

// The card tests link their own platform::WipeBytes in place of the
// platform's: it wipes the same way and keeps a copy of what it wiped, so a
// test can tell that a secret was wiped before its memory was given back.

#include <cstdint>
#include <vector>

namespace kestrova::testing {

// Every wiped buffer since the last ForgetWipes, as it was before the wipe.
const std::vector<std::vector<std::uint8_t>>& WipedBuffers();
void ForgetWipes();

}  // namespace kestrova::testing
