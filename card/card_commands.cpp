#include "card/card_commands.h"

#include <algorithm>
#include <cstring>

#include "card/card_result_codes.h"
#include "card/financial_aid.h"
#include "platform/secure_wipe.h"

namespace kestrova {
namespace {

constexpr std::uint8_t kClass = 0x00;
constexpr std::uint8_t kSelect = 0xA4;
constexpr std::uint8_t kReadRecord = 0xB2;
constexpr std::uint8_t kReadBinary = 0xB0;
constexpr std::uint8_t kWriteRecord = 0xD2;
constexpr std::uint8_t kVerify = 0x20;

constexpr std::uint8_t kSelectByName = 0x04;
constexpr std::uint8_t kSelectFileUnderDf = 0x02;
constexpr std::uint8_t kRecordNumberInP1 = 0x04;
constexpr std::uint8_t kApplicationPin = 0x10;

constexpr std::uint8_t kFileInformationLength = 0x10;
constexpr std::uint8_t kSerialDataLength = 0x10;

}  // namespace

std::int32_t SelectApplication(std::int32_t slotNumber) {
    ResponseBuffer scratch{};
    std::uint8_t lengthByte = 0x00;
    return TransmitApdu(slotNumber, kClass, kSelect, kSelectByName, 0x00,
                        static_cast<std::uint8_t>(FinancialAid.size()), &lengthByte,
                        FinancialAid.data(), scratch.data());
}

std::int32_t SelectByName(std::int32_t slotNumber, std::int32_t nameLength,
                          const std::uint8_t* name, std::int32_t& responseLength,
                          ResponseBuffer& response) {
    if (nameLength < 0 || nameLength > kMaxSelectNameLength) {
        return kResultWrongLength;
    }
    std::array<std::uint8_t, kMaxSelectNameLength> data{};
    if (name != nullptr) {
        std::memcpy(data.data(), name, static_cast<std::size_t>(nameLength));
    }
    std::uint8_t lengthByte = 0x00;
    std::int32_t delivered = 0;
    const std::int32_t result = TransmitApdu(slotNumber, kClass, kSelect, kSelectByName, 0x00,
                                             static_cast<std::uint8_t>(nameLength), &lengthByte,
                                             data.data(), response.data(), &delivered);
    if (result == 0) {
        responseLength = delivered;
    }
    return result;
}

std::int32_t SelectFile(std::int32_t slotNumber, const FileIdentifier& fileId,
                        std::int32_t& responseLength, ResponseBuffer& response,
                        std::int32_t wantResponse) {
    std::uint8_t lengthByte = kFileInformationLength;
    std::int32_t delivered = 0;
    const std::int32_t result = TransmitApdu(slotNumber, kClass, kSelect, kSelectFileUnderDf, 0x00,
                                             static_cast<std::uint8_t>(fileId.size()),
                                             wantResponse != 0 ? &lengthByte : nullptr,
                                             fileId.data(), response.data(), &delivered);
    if (result == 0) {
        responseLength = wantResponse != 0 ? delivered : 0;
    }
    return result;
}

std::int32_t ReadRecord(std::int32_t slotNumber, std::uint8_t recordNumber,
                        std::uint8_t expectedLength, std::int32_t& responseLength,
                        ResponseBuffer& response) {
    std::uint8_t lengthByte = expectedLength;
    std::int32_t delivered = 0;
    const std::int32_t result =
        TransmitApdu(slotNumber, kClass, kReadRecord, recordNumber, kRecordNumberInP1, 0,
                     &lengthByte, nullptr, response.data(), &delivered);
    if (result == 0) {
        responseLength = delivered;
    }
    return result;
}

std::int32_t ReadBinary(std::int32_t slotNumber, std::int32_t& responseLength,
                        ResponseBuffer& response) {
    std::uint8_t lengthByte = kSerialDataLength;
    std::int32_t delivered = 0;
    const std::int32_t result = TransmitApdu(slotNumber, kClass, kReadBinary, 0x00, 0x00, 0,
                                             &lengthByte, nullptr, response.data(), &delivered);
    if (result == 0) {
        responseLength = delivered;
    }
    return result;
}

// The data may be a PIN block, so the copy is wiped once it has been sent.
std::int32_t WriteRecord(std::int32_t slotNumber, std::uint8_t recordNumber,
                         std::int32_t dataLength, const std::uint8_t* data) {
    if (dataLength < 0 || dataLength > kMaxRecordDataLength) {
        return kResultWrongLength;
    }
    std::array<std::uint8_t, kMaxRecordDataLength + 1> command{};
    if (data != nullptr) {
        std::memcpy(command.data(), data, static_cast<std::size_t>(dataLength));
    }
    ResponseBuffer scratch{};
    const std::int32_t result = TransmitApdu(
        slotNumber, kClass, kWriteRecord, recordNumber, kRecordNumberInP1,
        static_cast<std::uint8_t>(dataLength), nullptr, command.data(), scratch.data());
    platform::WipeBuffer(command);
    return result;
}

std::int32_t VerifyPinBlock(std::int32_t slotNumber, const PinBlock& block) {
    std::array<std::uint8_t, kPinBlockSize> command{};
    std::copy(block.Bytes().begin(), block.Bytes().end(), command.begin());
    ResponseBuffer scratch{};
    const std::int32_t result = TransmitApdu(slotNumber, kClass, kVerify, 0x00, kApplicationPin,
                                             static_cast<std::uint8_t>(command.size()), nullptr,
                                             command.data(), scratch.data());
    platform::WipeBuffer(command);
    return result;
}

}  // namespace kestrova
