#include <cstring>

#include "card/card_commands.h"
#include "card/hex.h"
#include "card/raw_commands.h"
#include "reader/result_codes.h"

namespace kestrova {
namespace {

constexpr std::size_t kRecordNumberTextLength = 2;
constexpr std::uint8_t kFirstRecord = 0x01;
constexpr std::uint8_t kLastRecord = 0xFE;
constexpr std::uint8_t kExpectedLength = 0xFE;

}  // namespace

std::int32_t ReadRecordOfCurrentFile(std::int32_t slotNumber, const char* recordNumberText,
                                     ResponseFields& fields) {
    ClearResponse(fields);
    if (recordNumberText == nullptr || std::strlen(recordNumberText) != kRecordNumberTextLength) {
        return kResultWrongLength;
    }
    std::uint8_t recordNumber = 0;
    if (HexDecode(static_cast<std::int32_t>(kRecordNumberTextLength), recordNumberText,
                  &recordNumber) != 0) {
        return kResultBadHexText;
    }
    if (recordNumber < kFirstRecord || recordNumber > kLastRecord) {
        return kResultRecordNumberOutOfRange;
    }
    ResponseBuffer response{};
    std::int32_t responseLength = 0;
    const std::int32_t result =
        ReadRecord(slotNumber, recordNumber, kExpectedLength, responseLength, response);
    if (result != 0) {
        return FileFailure(fields, result);
    }
    StoreResponse(fields, response.data(), responseLength);
    return 0;
}

}  // namespace kestrova
