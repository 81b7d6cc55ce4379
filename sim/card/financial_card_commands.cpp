// The card's commands, each checked the way a card checks: parameters, then
// the current file, then the security state, then lengths and data.

#include <algorithm>
#include <cstddef>

#include "sim/card/card_records.h"
#include "sim/card/financial_card.h"
#include "sim/card/transaction_authorisation.h"

namespace kestrova::sim {
namespace {

constexpr std::uint8_t kSelectByName = 0x04;
constexpr std::uint8_t kSelectChildEf = 0x02;
constexpr std::uint8_t kReturnFci = 0x00;
constexpr std::uint8_t kReturnNothing = 0x0C;
constexpr std::uint8_t kRecordNumberInP1 = 0x04;
constexpr std::uint8_t kPinReference = 0x10;
constexpr std::size_t kPinBlockLength = 8;
constexpr std::size_t kLeAll = 256;

std::uint16_t FileIdOf(std::uint8_t high, std::uint8_t low) {
    return static_cast<std::uint16_t>((high << 8) | low);
}

bool SameAsAid(const Bytes& name) {
    return std::equal(name.begin(), name.end(), kFinancialAid.begin(), kFinancialAid.end());
}

// READ RECORD and READ BINARY: Le 00 (or none) takes everything; any other
// Le must be the exact length, which 6CXX tells.
bool LeFits(const CommandApdu& command, std::size_t length) {
    return !command.le || *command.le == kLeAll || *command.le == length;
}

PinBlock BlockOf(const Bytes& data) {
    PinBlock block{};
    std::copy_n(data.begin(), block.size(), block.begin());
    return block;
}

}  // namespace

FinancialCard::Outcome FinancialCard::WithFci(const CommandApdu& command, Bytes fci) const {
    if (command.p2 == kReturnNothing) {
        return {};
    }
    if (content_.protocol == Protocol::kT1) {
        // Under T=1 a SELECT without Le asks for nothing back.
        if (!command.le) {
            return {};
        }
        if (*command.le < fci.size()) {
            return {{}, WithLength(status::kExactLengthBase, fci.size())};
        }
    }
    return {std::move(fci), status::kSuccess};
}

FinancialCard::Outcome FinancialCard::Select(const CommandApdu& command) {
    if (command.p2 != kReturnFci && command.p2 != kReturnNothing) {
        return {{}, status::kWrongParameters};
    }
    if (command.p1 == kSelectByName) {
        return SelectApplication(command);
    }
    if (command.p1 == kSelectChildEf) {
        return SelectElementaryFile(command);
    }
    return {{}, status::kWrongParameters};
}

FinancialCard::Outcome FinancialCard::SelectApplication(const CommandApdu& command) {
    if (!SameAsAid(command.data)) {
        return {{}, status::kFileNotFound};
    }
    // Selecting the application again keeps its security state.
    applicationSelected_ = true;
    currentFile_.reset();
    return WithFci(command, ApplicationFci());
}

FinancialCard::Outcome FinancialCard::SelectElementaryFile(const CommandApdu& command) {
    if (command.data.size() != 2) {
        return {{}, status::kWrongLength};
    }
    const std::uint16_t fileId = FileIdOf(command.data[0], command.data[1]);
    const auto kind = KindOf(fileId);
    if (!applicationSelected_ || !kind) {
        return {{}, status::kFileNotFound};
    }
    currentFile_ = fileId;
    const FileStructure structure = *kind == FileKind::kPin ? FileStructure::kLinearFixed
                                    : *kind == FileKind::kTransactions
                                        ? FileStructure::kCyclic
                                        : FileStructure::kLinearVariable;
    return WithFci(command, FileFci(fileId, structure));
}

FinancialCard::Outcome FinancialCard::ReadRecord(const CommandApdu& command) const {
    if (command.p2 != kRecordNumberInP1 || command.p1 == 0) {
        return {{}, status::kWrongParameters};
    }
    if (command.HasData()) {
        return {{}, status::kWrongLength};
    }
    if (!currentFile_) {
        return {{}, status::kNoCurrentFile};
    }
    const std::size_t index = command.p1 - 1U;
    const Bytes* record = nullptr;
    switch (*KindOf(*currentFile_)) {
        case FileKind::kPin:
            return {{}, status::kSecurityNotSatisfied};
        case FileKind::kAccountData: {
            const std::vector<Bytes>& records = *RecordsOf(*currentFile_);
            record = index < records.size() ? &records[index] : nullptr;
            break;
        }
        case FileKind::kTransactions: {
            const auto log = transactionLogs_.find(*currentFile_);
            if (log != transactionLogs_.end() && index < log->second.size()) {
                record = &log->second[index];
            }
            break;
        }
    }
    if (record == nullptr) {
        return {{}, status::kRecordNotFound};
    }
    if (!LeFits(command, record->size())) {
        return {{}, WithLength(status::kExactLengthBase, record->size())};
    }
    return {*record, status::kSuccess};
}

FinancialCard::Outcome FinancialCard::ReadBinary(const CommandApdu& command) const {
    // Bit 8 of P1 would name a short file identifier, which the card lacks.
    if ((command.p1 & 0x80) != 0) {
        return {{}, status::kWrongParameters};
    }
    if (command.HasData()) {
        return {{}, status::kWrongLength};
    }
    if (!applicationSelected_) {
        return {{}, status::kNoCurrentFile};
    }
    if (currentFile_) {
        return {{}, status::kIncompatibleFile};
    }
    const std::size_t offset = FileIdOf(command.p1, command.p2);
    if (offset >= serialData_.size()) {
        return {{}, status::kWrongOffset};
    }
    const std::size_t remaining = serialData_.size() - offset;
    std::size_t length = remaining;
    if (command.le && *command.le != kLeAll) {
        if (*command.le > remaining) {
            return {{}, WithLength(status::kExactLengthBase, remaining)};
        }
        length = *command.le;
    }
    const auto first = serialData_.begin() + static_cast<std::ptrdiff_t>(offset);
    return {Bytes(first, first + static_cast<std::ptrdiff_t>(length)), status::kSuccess};
}

FinancialCard::Outcome FinancialCard::Verify(const CommandApdu& command) {
    if (command.p1 != 0) {
        return {{}, status::kWrongParameters};
    }
    if (command.p2 != kPinReference) {
        return {{}, status::kReferenceNotFound};
    }
    if (!applicationSelected_) {
        return {{}, status::kConditionsNotSatisfied};
    }
    if (pinTriesLeft_ == 0) {
        return {{}, status::kPinBlocked};
    }
    // Without data VERIFY only asks whether the PIN is verified.
    if (!command.HasData()) {
        if (pinVerified_) {
            return {};
        }
        return {{}, WithLength(status::kWrongPinBase, static_cast<std::size_t>(pinTriesLeft_))};
    }
    if (command.data.size() != kPinBlockLength) {
        return {{}, status::kWrongLength};
    }
    const PinBlock block = BlockOf(command.data);
    // A block that is no PIN at all (no digits, a keypad marker) costs no try.
    if (!IsWellFormedPinBlock(block)) {
        return {{}, status::kWrongData};
    }
    if (pinBlock_ && block == *pinBlock_) {
        pinVerified_ = true;
        pinTriesLeft_ = content_.pinTries;
        return {};
    }
    pinVerified_ = false;
    --pinTriesLeft_;
    return {{}, WithLength(status::kWrongPinBase, static_cast<std::size_t>(pinTriesLeft_))};
}

FinancialCard::Outcome FinancialCard::WriteRecord(const CommandApdu& command) {
    if (command.p2 != kRecordNumberInP1 || command.p1 == 0) {
        return {{}, status::kWrongParameters};
    }
    if (!currentFile_) {
        return {{}, status::kNoCurrentFile};
    }
    // The account data belongs to the issuer and the transaction file takes
    // records only through the write command.
    if (*KindOf(*currentFile_) != FileKind::kPin || !pinVerified_) {
        return {{}, status::kSecurityNotSatisfied};
    }
    if (command.p1 != 1) {
        return {{}, status::kRecordNotFound};
    }
    if (command.data.size() != kPinBlockLength) {
        return {{}, status::kWrongLength};
    }
    const PinBlock block = BlockOf(command.data);
    if (!IsWellFormedPinBlock(block)) {
        return {{}, status::kWrongData};
    }
    pinBlock_ = block;
    return {};
}

FinancialCard::Outcome FinancialCard::WriteTransaction(const CommandApdu& command) {
    const std::uint16_t fileId = FileIdOf(command.p1, command.p2);
    const auto kind = KindOf(fileId);
    if (!applicationSelected_ || !kind) {
        return {{}, status::kFileNotFound};
    }
    if (*kind != FileKind::kTransactions) {
        return {{}, status::kIncompatibleFile};
    }
    if (!command.HasData()) {
        return {{}, status::kWrongLength};
    }
    constexpr std::size_t kAnswerLength = 1 + 8 + 2 + 8 + kSerialLength;
    if (content_.protocol == Protocol::kT1 && command.le && *command.le < kAnswerLength) {
        return {{}, WithLength(status::kExactLengthBase, kAnswerLength)};
    }
    if (!pinVerified_) {
        return {{}, status::kSecurityNotSatisfied};
    }
    const auto snum = FormatSnum(nextSnum_);
    if (!snum) {
        return {{}, status::kFileFull};
    }
    const auto tac = ComputeTac(content_.key, command.data);
    if (!tac) {
        return {{}, status::kConditionsNotSatisfied};
    }
    Bytes answer;
    answer.reserve(kAnswerLength);
    answer.push_back(static_cast<std::uint8_t>(command.data.size()));
    answer.insert(answer.end(), snum->begin(), snum->end());
    answer.push_back(command.p1);
    answer.push_back(command.p2);
    answer.insert(answer.end(), tac->begin(), tac->end());
    answer.insert(answer.end(), serialData_.begin(),
                  serialData_.begin() + static_cast<std::ptrdiff_t>(kSerialLength));

    std::deque<Bytes>& log = transactionLogs_[fileId];
    log.push_front(command.data);
    if (log.size() > kTransactionLogCapacity) {
        log.pop_back();
    }
    ++nextSnum_;
    return {std::move(answer), status::kSuccess};
}

}  // namespace kestrova::sim
