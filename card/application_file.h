#pragma once

// Selecting a file of the financial application and reading its records: the
// steps every account and card-data read is made of.

#include <cstdint>

#include "card/card_commands.h"

namespace kestrova {

// SelectApplication, then SelectFile asking for no response. Returns 0,
// kResultSelectApplicationFailed or kResultSelectFileFailed.
std::int32_t SelectApplicationFile(std::int32_t slotNumber, const FileIdentifier& fileId);

// Clears `record`, then reads the record with Le = expectedLength. The
// length is what the card delivered, but never more than expectedLength:
// bytes beyond it are cleared again, so everything past the record reads as
// zero. Returns 0 or kResultReadRecordFailed.
std::int32_t ReadFileRecord(std::int32_t slotNumber, std::uint8_t recordNumber,
                            std::uint8_t expectedLength, ResponseBuffer& record,
                            std::int32_t& recordLength);

}  // namespace kestrova
