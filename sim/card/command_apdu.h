#pragma once

// A short command APDU as the card receives it, split into header, data and
// expected length (ISO 7816-4 cases 1 to 4), and the status words the card
// answers with.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "sim/service/simulated_card.h"

namespace kestrova::sim {

struct CommandApdu {
    std::uint8_t cla = 0;
    std::uint8_t ins = 0;
    std::uint8_t p1 = 0;
    std::uint8_t p2 = 0;
    Bytes data;                     // empty when the command carries no Lc
    std::optional<std::size_t> le;  // 1..256 when an Le byte was sent (00 is 256)

    bool HasData() const { return !data.empty(); }
};

// None for a command shorter than 4 bytes or whose length byte does not fit
// its length (Lc 0 with data after it, or bytes beyond Lc + Le).
std::optional<CommandApdu> ParseCommandApdu(const Bytes& command);

namespace status {
inline constexpr std::uint16_t kSuccess = 0x9000;
inline constexpr std::uint16_t kWrongPinBase = 0x63C0;
inline constexpr std::uint16_t kWrongLength = 0x6700;
inline constexpr std::uint16_t kIncompatibleFile = 0x6981;
inline constexpr std::uint16_t kSecurityNotSatisfied = 0x6982;
inline constexpr std::uint16_t kPinBlocked = 0x6983;
inline constexpr std::uint16_t kConditionsNotSatisfied = 0x6985;
inline constexpr std::uint16_t kNoCurrentFile = 0x6986;
inline constexpr std::uint16_t kWrongData = 0x6A80;
inline constexpr std::uint16_t kFileNotFound = 0x6A82;
inline constexpr std::uint16_t kRecordNotFound = 0x6A83;
inline constexpr std::uint16_t kFileFull = 0x6A84;
inline constexpr std::uint16_t kWrongParameters = 0x6A86;
inline constexpr std::uint16_t kReferenceNotFound = 0x6A88;
inline constexpr std::uint16_t kWrongOffset = 0x6B00;
inline constexpr std::uint16_t kExactLengthBase = 0x6C00;
inline constexpr std::uint16_t kUnknownInstruction = 0x6D00;
inline constexpr std::uint16_t kUnknownClass = 0x6E00;
inline constexpr std::uint16_t kMoreDataBase = 0x6100;
}  // namespace status

// The length as the low byte of a 61XX or 6CXX status word (256 is 00).
std::uint16_t WithLength(std::uint16_t base, std::size_t length);

// data followed by the two status bytes.
Bytes ResponseOf(const Bytes& data, std::uint16_t statusWord);

}  // namespace kestrova::sim
