#pragma once

// Clears key material from memory in a way the optimiser may not drop.

#include <cstddef>

namespace kestrova {

void SecureWipe(void* data, std::size_t size);

}  // namespace kestrova
