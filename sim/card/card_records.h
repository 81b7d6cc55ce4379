#pragma once

// The bytes of the card's files, built from its content: the records of
// EF1001 and EF1002, the transparent serial data and the file control
// information the card answers a SELECT with. Layouts: sim/card/CARD.md.

#include <cstdint>
#include <vector>

#include "sim/card/card_content.h"

namespace kestrova::sim {

// Record n of a file is element n - 1.
std::vector<Bytes> Ef1001Records(const CardContent& content);
std::vector<Bytes> Ef1002Records(const CardContent& content);

// The 16 bytes READ BINARY gives at the application level.
Bytes SerialData(const CardContent& content);

// The file descriptor byte of the file control information.
enum class FileStructure : std::uint8_t {
    kLinearFixed = 0x02,
    kLinearVariable = 0x04,
    kCyclic = 0x06,
};

// 6F, with the application identifier as the DF name.
Bytes ApplicationFci();
// 62, with the file descriptor, the identifier and the life cycle status.
Bytes FileFci(std::uint16_t fileId, FileStructure structure);

}  // namespace kestrova::sim
