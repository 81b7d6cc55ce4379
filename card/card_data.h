#pragma once

// The card data a bank page shows besides the accounts: issuer bank, card
// remark and serial number. Failed steps give kResultSelectApplicationFailed,
// kResultSelectFileFailed, kResultReadRecordFailed or
// kResultReadSerialFailed, never the card's status word.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrova {

inline constexpr std::size_t kIssuerBankLength = 8;
using IssuerBankBytes = std::array<char, kIssuerBankLength>;

// Offsets 2-9 of EF1001 record 1 (Le 10), unchecked; bytes the card did not
// send are zero.
std::int32_t ReadIssuerBank(std::int32_t slotNumber, IssuerBankBytes& issuerBank);

// EF1001 record 2 (Le 32) from offset 2 to its end as uppercase hex: at most
// 60 characters, empty for a record of 2 bytes or fewer.
std::int32_t ReadIccRemark(std::int32_t slotNumber, std::string& text);

// The first 8 bytes of the application's transparent data (Le 16) as 16
// uppercase hex characters; bytes the card did not send give "00".
std::int32_t ReadCardSerial(std::int32_t slotNumber, std::string& text);

}  // namespace kestrova
