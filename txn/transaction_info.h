#pragma once

// The card's issuer, remark and account as a transaction reports them, read
// from EF1001 right after the write.

#include <cstdint>
#include <string>

namespace kestrova {

// Selects EF1001 (the application is already selected) and reads its records
// 1 to 3: the issuer text (record bytes 2-9), the remark as uppercase hex
// text (bytes 2 to the end) and the account text (bytes 2-17); the two texts
// end at their first zero byte. All three are emptied first; the first step
// that fails ends the read with its result unchanged, keeping the texts
// already read. Returns 0 otherwise.
std::int32_t ReadTransactionInfo(std::int32_t slotNumber, std::string& issuer, std::string& remark,
                                 std::string& account);

}  // namespace kestrova
