#pragma once

// The results a page forwards to the bank, taken from the write's response.

#include <string>
#include <string_view>

namespace kestrova {

// From the write's response data as stored (uppercase hex text): SNUM is
// response bytes 1-8 as characters up to the first zero byte, TAC bytes 11-18
// as 16 hex characters. Only bytes the card sent count: a shorter response
// gives a shorter SNUM and TAC, or empty ones.
void PublishSnumTac(std::string_view responseHex, std::string& snum, std::string& tac);

}  // namespace kestrova
