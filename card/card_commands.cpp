#include "card/card_commands.h"

#include <array>
#include <cstring>

#include "card/financial_aid.h"
#include "platform/secure_wipe.h"
#include "reader/result_codes.h"

namespace kestrova {
namespace {

constexpr std::uint8_t kClass = 0x00;
constexpr std::uint8_t kProprietaryClass = 0x80;
constexpr std::uint8_t kSelect = 0xA4;
constexpr std::uint8_t kReadRecord = 0xB2;
constexpr std::uint8_t kReadBinary = 0xB0;
constexpr std::uint8_t kWriteRecord = 0xD2;
constexpr std::uint8_t kWriteWithSnumTac = 0xE2;
constexpr std::uint8_t kVerify = 0x20;

constexpr std::uint8_t kSelectByName = 0x04;
constexpr std::uint8_t kSelectFileUnderDf = 0x02;
constexpr std::uint8_t kRecordNumberInP1 = 0x04;
constexpr std::uint8_t kApplicationPin = 0x10;

constexpr std::uint8_t kFileInformationLength = 0x10;
constexpr std::uint8_t kSerialDataLength = 0x10;
constexpr std::uint8_t kAllTheCardHas = 0x00;
// Tells a keypad reader to collect the PINs on its own keypad.
constexpr std::array<std::uint8_t, kPinBlockSize> kKeypadMarker = {0xF0, 0xF0, 0xF0, 0xF0,
                                                                   0xF0, 0xF0, 0xF0, 0xF0};

}  // namespace

CardCommand SelectByNameCommand(std::span<const std::uint8_t> name) {
    return CardCommand{kClass, kSelect, kSelectByName, 0x00, name, kAllTheCardHas};
}

CardCommand SelectFileCommand(const FileIdentifier& fileId, bool wantResponse) {
    CardCommand command{kClass, kSelect, kSelectFileUnderDf, 0x00, fileId};
    if (wantResponse) {
        command.le = kFileInformationLength;
    }
    return command;
}

CardCommand ReadRecordCommand(std::uint8_t recordNumber, std::uint8_t le) {
    return CardCommand{kClass, kReadRecord, recordNumber, kRecordNumberInP1, {}, le};
}

CardCommand ReadBinaryCommand() {
    return CardCommand{kClass, kReadBinary, 0x00, 0x00, {}, kSerialDataLength};
}

CardCommand WriteRecordCommand(std::uint8_t recordNumber, std::span<const std::uint8_t> data) {
    return CardCommand{kClass, kWriteRecord, recordNumber, kRecordNumberInP1, data};
}

CardCommand VerifyCommand(std::span<const std::uint8_t, kPinBlockSize> block) {
    return CardCommand{kClass, kVerify, 0x00, kApplicationPin, block};
}

CardCommand VerifyOnKeypadForChangeCommand() {
    return VerifyCommand(kKeypadMarker);
}

CardCommand VerifyOnPinPadCommand() {
    return CardCommand{kProprietaryClass, kVerify, 0x00, kApplicationPin};
}

CardCommand WriteWithSnumTacCommand(const FileIdentifier& fileId,
                                    std::span<const std::uint8_t> record) {
    return CardCommand{kClass, kWriteWithSnumTac, fileId[0], fileId[1], record, kAllTheCardHas};
}

std::int32_t SendCommand(std::int32_t slotNumber, const CardCommand& command,
                         std::int32_t& responseLength, ResponseBuffer& response) {
    CardResponse answer;
    const std::int32_t result = ExchangeCommand(slotNumber, command, answer);
    std::memcpy(response.data(), answer.data.data(), static_cast<std::size_t>(answer.length));
    if (result == 0) {
        responseLength = answer.length;
    }
    return result;
}

std::int32_t SelectApplication(std::int32_t slotNumber) {
    std::int32_t length = 0;
    ResponseBuffer scratch{};
    return SendCommand(slotNumber, SelectByNameCommand(FinancialAid), length, scratch);
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
    return SendCommand(
        slotNumber,
        SelectByNameCommand(std::span(data).first(static_cast<std::size_t>(nameLength))),
        responseLength, response);
}

std::int32_t SelectFile(std::int32_t slotNumber, const FileIdentifier& fileId,
                        std::int32_t& responseLength, ResponseBuffer& response,
                        std::int32_t wantResponse) {
    const std::int32_t result = SendCommand(
        slotNumber, SelectFileCommand(fileId, wantResponse != 0), responseLength, response);
    if (result == 0 && wantResponse == 0) {
        responseLength = 0;
    }
    return result;
}

std::int32_t ReadRecord(std::int32_t slotNumber, std::uint8_t recordNumber,
                        std::uint8_t expectedLength, std::int32_t& responseLength,
                        ResponseBuffer& response) {
    return SendCommand(slotNumber, ReadRecordCommand(recordNumber, expectedLength), responseLength,
                       response);
}

std::int32_t ReadBinary(std::int32_t slotNumber, std::int32_t& responseLength,
                        ResponseBuffer& response) {
    return SendCommand(slotNumber, ReadBinaryCommand(), responseLength, response);
}

// The data may be a PIN block, so the copy is wiped once it has been sent.
std::int32_t WriteRecord(std::int32_t slotNumber, std::uint8_t recordNumber,
                         std::int32_t dataLength, const std::uint8_t* data) {
    if (dataLength < 0 || dataLength > kMaxRecordDataLength) {
        return kResultWrongLength;
    }
    std::array<std::uint8_t, kMaxRecordDataLength + 1> copy{};
    const platform::WipeOnExit wipeCopy(copy);
    if (data != nullptr) {
        std::memcpy(copy.data(), data, static_cast<std::size_t>(dataLength));
    }
    std::int32_t length = 0;
    ResponseBuffer scratch{};
    return SendCommand(slotNumber,
                       WriteRecordCommand(recordNumber, std::span(copy).first(
                                                            static_cast<std::size_t>(dataLength))),
                       length, scratch);
}

std::int32_t VerifyPinBlock(std::int32_t slotNumber, const PinBlock& block) {
    std::int32_t length = 0;
    ResponseBuffer scratch{};
    return SendCommand(slotNumber, VerifyCommand(block.Bytes()), length, scratch);
}

}  // namespace kestrova
