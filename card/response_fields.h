#pragma once

// The control's fields that receive a single command's outcome: the response
// data as uppercase hex text and its byte count, or the failure, filed as a
// card status word (read back as the last error) or another error.

#include <cstdint>
#include <string>

namespace kestrova {

struct ResponseFields {
    std::int32_t& lastError;
    std::int32_t& lastResultCode;
    std::int32_t& respLength;
    std::string& respData;
};

// All four cleared: every command that stores a response starts here, so a
// failure leaves no earlier answer behind.
void ClearResponse(ResponseFields& fields);

void StoreResponse(ResponseFields& fields, const std::uint8_t* data, std::int32_t length);

// Files a failed result with SplitResult and returns it.
std::int32_t FileFailure(ResponseFields& fields, std::int32_t result);

}  // namespace kestrova
