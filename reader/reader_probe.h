#pragma once

// What the service sees without a page's connection: its readers and
// whether a card sits in each, for a diagnosis. No command reaches a card
// and no slot is touched.

#include <cstdint>
#include <string>
#include <vector>

namespace kestrova {

enum class CardPresence : std::uint8_t {
    kAbsent,
    kPresent,       // answered; its ATR is known
    kInUse,         // another connection holds the reader exclusively
    kUnresponsive,  // in the reader, but it did not answer the reset
    kUnknown,       // the service gave another failure (see result)
};

struct ProbedReader {
    std::string name;
    CardPresence card = CardPresence::kUnknown;
    std::vector<std::uint8_t> atr;
    std::int32_t result = 0;  // the service's code when card is kUnknown
};

// Lists the readers as ListReaders does and connects each one shared to
// read its card's ATR, leaving the card as it was. Returns 0 (also with no
// reader), -1 when the service cannot be bound, or the service's code when
// it cannot be reached.
std::int32_t ProbeReaders(std::vector<ProbedReader>& readers);

}  // namespace kestrova
