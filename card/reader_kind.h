#pragma once

// Readers with a keypad of their own need their own PIN commands; which
// handling a reader gets depends on its model name alone.

#include <cstdint>

namespace kestrova {

enum class ReaderKind : std::int32_t {
    Plain = 0,    // any other reader: the page's PIN text is sent
    PinPadA = 1,  // "Todos eCode Connectable II", "ACS APG8201"
    PinPadB = 2,  // "ACS ACR83U"
    PinPadC = 3,  // "Todos eCode Connectable"
};

// Every kind is below this; ClassifyReader's refusal is above it.
inline constexpr std::int32_t kLargestReaderKind = 10;

// The kind of the reader whose name begins with a known model name, ignoring
// ASCII case (the name may continue after it), else Plain. Returns the
// kind's value, or kResultNoText for an absent or empty name.
std::int32_t ClassifyReader(const char* readerName);

}  // namespace kestrova
