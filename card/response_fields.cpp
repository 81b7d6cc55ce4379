#include "card/response_fields.h"

#include "card/hex.h"
#include "reader/split_result.h"

namespace kestrova {

void ClearResponse(ResponseFields& fields) {
    fields.respLength = 0;
    fields.lastError = 0;
    fields.lastResultCode = 0;
    fields.respData.clear();
}

void StoreResponse(ResponseFields& fields, const std::uint8_t* data, std::int32_t length) {
    fields.respData.assign(2 * static_cast<std::size_t>(length), '\0');
    HexEncode(length, data, fields.respData.data());
    fields.respLength = length;
}

std::int32_t FileFailure(ResponseFields& fields, std::int32_t result) {
    return SplitResult(result, fields.lastError, fields.lastResultCode);
}

}  // namespace kestrova
