#include "txn/write_record_with_snum_tac.h"

#include <array>
#include <cstring>

#include "card/card_commands.h"
#include "card/hex.h"
#include "reader/apdu_exchange.h"
#include "reader/result_codes.h"

namespace kestrova {
namespace {

constexpr std::size_t kFileIdTextLength = 4;

}  // namespace

std::int32_t WriteRecordWithSnumTac(std::int32_t slotNumber, const char* fileIdText,
                                    std::int32_t recordLength, const char* recordText,
                                    ResponseFields& fields) {
    ClearResponse(fields);
    if (fileIdText == nullptr || recordText == nullptr) {
        return kResultNoText;
    }
    // Checked before doubling, so that no length wraps.
    if (recordLength < 0 || recordLength > kMaxWrittenRecordLength ||
        std::strlen(fileIdText) != kFileIdTextLength ||
        std::strlen(recordText) != 2 * static_cast<std::size_t>(recordLength)) {
        return kResultWrongLength;
    }
    FileIdentifier fileId{};
    std::array<std::uint8_t, kMaxWrittenRecordLength> record{};
    if (HexDecode(static_cast<std::int32_t>(kFileIdTextLength), fileIdText, fileId.data()) != 0 ||
        HexDecode(2 * recordLength, recordText, record.data()) != 0) {
        return kResultBadHexText;
    }
    ResponseBuffer response{};
    std::int32_t delivered = 0;
    const std::int32_t result =
        SendCommand(slotNumber,
                    WriteWithSnumTacCommand(
                        fileId, std::span(record).first(static_cast<std::size_t>(recordLength))),
                    delivered, response);
    if (result != 0) {
        return FileFailure(fields, result);
    }
    // The true count, not the length byte: a card that sent no data must not
    // read as one that sent 256 bytes.
    StoreResponse(fields, response.data(), delivered);
    return 0;
}

}  // namespace kestrova
