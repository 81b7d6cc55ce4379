#include "card/card_data.h"

#include <algorithm>

#include "card/account_file.h"
#include "card/application_file.h"
#include "card/hex.h"
#include "reader/result_codes.h"

namespace kestrova {
namespace {

constexpr std::uint8_t kIssuerBankRecord = 1;
constexpr std::uint8_t kIssuerBankRecordLength = 10;
constexpr std::uint8_t kRemarkRecord = 2;
constexpr std::uint8_t kRemarkRecordLength = 32;
constexpr std::size_t kFieldOffset = 2;
constexpr std::int32_t kSerialLength = 8;

std::string HexText(const std::uint8_t* bytes, std::int32_t count) {
    std::string text(2 * static_cast<std::size_t>(count), '\0');
    HexEncode(count, bytes, text.data());
    return text;
}

}  // namespace

std::int32_t ReadIssuerBank(std::int32_t slotNumber, IssuerBankBytes& issuerBank) {
    const std::int32_t selected = SelectApplicationFile(slotNumber, kEf1001File.fileId);
    if (selected != 0) {
        return selected;
    }
    ResponseBuffer record{};
    std::int32_t recordLength = 0;
    const std::int32_t result = ReadFileRecord(slotNumber, kIssuerBankRecord,
                                               kIssuerBankRecordLength, record, recordLength);
    if (result != 0) {
        return result;
    }
    const auto first = record.begin() + kFieldOffset;
    std::transform(first, first + kIssuerBankLength, issuerBank.begin(),
                   [](std::uint8_t byte) { return static_cast<char>(byte); });
    return 0;
}

std::int32_t ReadIccRemark(std::int32_t slotNumber, std::string& text) {
    const std::int32_t selected = SelectApplicationFile(slotNumber, kEf1001File.fileId);
    if (selected != 0) {
        return selected;
    }
    ResponseBuffer record{};
    std::int32_t recordLength = 0;
    const std::int32_t result =
        ReadFileRecord(slotNumber, kRemarkRecord, kRemarkRecordLength, record, recordLength);
    if (result != 0) {
        return result;
    }
    const std::int32_t remarkLength =
        std::max(recordLength - static_cast<std::int32_t>(kFieldOffset), 0);
    text = HexText(record.data() + kFieldOffset, remarkLength);
    return 0;
}

std::int32_t ReadCardSerial(std::int32_t slotNumber, std::string& text) {
    if (SelectApplication(slotNumber) != 0) {
        return kResultSelectApplicationFailed;
    }
    ResponseBuffer data{};
    std::int32_t dataLength = 0;
    if (ReadBinary(slotNumber, dataLength, data) != 0) {
        return kResultReadSerialFailed;
    }
    text = HexText(data.data(), kSerialLength);
    return 0;
}

}  // namespace kestrova
