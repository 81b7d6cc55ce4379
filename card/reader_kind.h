#pragma once

// Readers with a keypad of their own need their own PIN commands; which
// handling a reader gets depends on its model name alone
// (reader/reader_model.h).

#include <cstdint>

#include "reader/reader_model.h"

namespace kestrova {

// Every kind is below this; ClassifyReader's refusal is above it.
inline constexpr std::int32_t kLargestReaderKind = 10;

// The kind of the reader's model, else Plain. Returns the kind's value, or
// kResultNoText for an absent or empty name.
std::int32_t ClassifyReader(const char* readerName);

}  // namespace kestrova
