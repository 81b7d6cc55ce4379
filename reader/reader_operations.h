#pragma once

// The reader-level operations behind the control's reader methods. Each takes
// the control's fields it updates by reference.

#include <cstdint>

#include "reader/atr_text.h"

namespace kestrova {

// Opens the context (which clears every slot's name) and registers the
// reader, so the reader lands in slot 1 unless another is registered there.
// Sets slotNumber; raises readerCount from 0 to 1. Returns 0,
// kResultOpenReaderFailed when the context cannot be opened, or
// RegisterReader's error.
std::int32_t OpenReader(const char* name, std::int32_t& slotNumber, std::int32_t& readerCount);

// Finds or registers the reader and disconnects its slot with a reset. A
// reader that cannot be found or test-connected is left alone. Always 0.
std::int32_t ReleaseReader(const char* name);

// Opens the reader (once more after releasing it, when the first try fails)
// and connects its card exclusively; "Todos eCode Connectable" readers get a
// second connect at once. On success sets textLength and writes the ATR as
// uppercase hex text (no terminator) and returns 0; otherwise returns the
// first error it could not recover from.
std::int32_t OpenCard(const char* name, std::int32_t& slotNumber, std::int32_t& readerCount,
                      std::int32_t& textLength, AtrText& atrText);

}  // namespace kestrova
