#include "txn/transaction_info.h"

#include <algorithm>

#include "card/card_commands.h"
#include "card/hex.h"

namespace kestrova {
namespace {

constexpr FileIdentifier kEf1001{0x10, 0x01};

constexpr std::uint8_t kIssuerRecord = 1;
constexpr std::uint8_t kIssuerRecordLength = 10;
constexpr std::uint8_t kRemarkRecord = 2;
constexpr std::uint8_t kRemarkRecordLength = 32;
constexpr std::uint8_t kAccountRecord = 3;
constexpr std::uint8_t kAccountRecordLength = 18;

// Every record starts with its number and length.
constexpr std::int32_t kRecordDataOffset = 2;

// The record's bytes from offset 2, up to `end` and to the bytes the card
// sent, read as text up to the first zero byte.
std::string TextOfRecord(const ResponseBuffer& record, std::int32_t delivered, std::int32_t end) {
    const std::int32_t last = std::min(delivered, end);
    if (last <= kRecordDataOffset) {
        return {};
    }
    const auto* first = record.data() + kRecordDataOffset;
    const auto* limit = record.data() + last;
    return {first, std::find(first, limit, std::uint8_t{0})};
}

std::int32_t ReadInto(std::int32_t slotNumber, std::uint8_t recordNumber,
                      std::uint8_t expectedLength, ResponseBuffer& record,
                      std::int32_t& delivered) {
    record.fill(0);
    delivered = 0;
    return ReadRecord(slotNumber, recordNumber, expectedLength, delivered, record);
}

}  // namespace

std::int32_t ReadTransactionInfo(std::int32_t slotNumber, std::string& issuer, std::string& remark,
                                 std::string& account) {
    issuer.clear();
    remark.clear();
    account.clear();

    ResponseBuffer record{};
    std::int32_t delivered = 0;
    std::int32_t result = SelectFile(slotNumber, kEf1001, delivered, record, 0);
    if (result != 0) {
        return result;
    }

    result = ReadInto(slotNumber, kIssuerRecord, kIssuerRecordLength, record, delivered);
    if (result != 0) {
        return result;
    }
    issuer = TextOfRecord(record, delivered, kIssuerRecordLength);

    result = ReadInto(slotNumber, kRemarkRecord, kRemarkRecordLength, record, delivered);
    if (result != 0) {
        return result;
    }
    if (delivered > kRecordDataOffset) {
        const std::int32_t remarkBytes = delivered - kRecordDataOffset;
        remark.assign(2 * static_cast<std::size_t>(remarkBytes), '\0');
        HexEncode(remarkBytes, record.data() + kRecordDataOffset, remark.data());
    }

    result = ReadInto(slotNumber, kAccountRecord, kAccountRecordLength, record, delivered);
    if (result != 0) {
        return result;
    }
    account = TextOfRecord(record, delivered, kAccountRecordLength);
    return 0;
}

}  // namespace kestrova
