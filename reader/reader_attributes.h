#pragma once

// Reader attributes: vendor name, model, firmware version, serial number and
// system name, read over the connection of the reader's slot.

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestrova {

inline constexpr std::size_t kAttributeBufferSize = 128;
using AttributeBuffer = std::array<std::uint8_t, kAttributeBufferSize>;

// Index 0 vendor name, 1 model, 2 firmware version, 3 serial number,
// 4 system name.
inline constexpr std::int32_t kAttributeIndexCount = 5;

// Refuses an index outside 0..4 with kResultBadAttributeIndex before
// anything else; registers the reader (which moves currentSlot to the
// reader's slot unless currentSlot holds the page's connected card) and reads
// the attribute there. The reader must have been connected before:
// registering leaves no connection.
std::int32_t QueryReaderAttribute(const char* name, std::int32_t& currentSlot, std::int32_t index,
                                  std::int32_t& length, AttributeBuffer& bytes);

// Reads the attribute over the slot's card. Index 2 is delivered as the ten
// characters MM.mm.bbbb of the version number, lowercase hex; the others as
// the reader gives them. Returns 0, 9 (bad slot), 7 (context not open), -1
// (unbound) or the service's code (0x32 for an attribute the reader lacks).
std::int32_t ReadReaderAttribute(std::int32_t slotNumber, std::int32_t index, std::int32_t& length,
                                 AttributeBuffer& bytes);

}  // namespace kestrova
