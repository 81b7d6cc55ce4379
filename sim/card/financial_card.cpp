#include "sim/card/financial_card.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "sim/card/card_records.h"

namespace kestrova::sim {
namespace {

constexpr std::uint8_t kInsGetResponse = 0xC0;
constexpr std::uint8_t kInsVerify = 0x20;
constexpr std::uint8_t kClassInterindustry = 0x00;
constexpr std::uint8_t kClassProprietary = 0x80;

void Sleep(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

Bytes StatusOnly(std::uint16_t statusWord) {
    return ResponseOf({}, statusWord);
}

}  // namespace

Bytes EffectiveAtr(const CardContent& content) {
    if (!content.atr.empty()) {
        return content.atr;
    }
    return content.protocol == Protocol::kT1 ? kDefaultT1Atr : kDefaultT0Atr;
}

FinancialCard::FinancialCard(CardContent content, Pause pause)
    : content_(std::move(content)),
      atr_(EffectiveAtr(content_)),
      accountFiles_{{kEf1001, Ef1001Records(content_)}, {kEf1002, Ef1002Records(content_)}},
      serialData_(SerialData(content_)),
      pause_(pause ? std::move(pause) : Pause(Sleep)),
      pinBlock_(PackPin(content_.pin)),
      pinTriesLeft_(std::clamp(content_.pinTriesLeft, 0, content_.pinTries)),
      nextSnum_(content_.snumStart),
      faults_(content_.faults) {}

Bytes FinancialCard::Atr() const {
    return atr_;
}

Protocol FinancialCard::CardProtocol() const {
    return content_.protocol;
}

void FinancialCard::Reset() {
    const std::lock_guard<std::mutex> lock(mutex_);
    applicationSelected_ = false;
    currentFile_.reset();
    pinVerified_ = false;
    pendingResponse_.clear();
}

int FinancialCard::PinTriesLeft() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return pinTriesLeft_;
}

bool FinancialCard::PinVerified() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return pinVerified_;
}

std::uint32_t FinancialCard::NextSnum() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return nextSnum_;
}

std::vector<Bytes> FinancialCard::TransactionRecords(std::uint16_t fileId) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto log = transactionLogs_.find(fileId);
    if (log == transactionLogs_.end()) {
        return {};
    }
    return {log->second.begin(), log->second.end()};
}

std::uint64_t FinancialCard::CommandCount() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return commandCount_;
}

Bytes FinancialCard::Answer(const Bytes& command) {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++commandCount_;
    const FaultDecision fault = faults_.Consider(command, commandCount_);
    if (fault.delayMs > 0) {
        pause_(fault.delayMs);
    }
    if (fault.status) {
        pendingResponse_.clear();
        return StatusOnly(*fault.status);
    }
    const auto apdu = ParseCommandApdu(command);
    if (!apdu) {
        pendingResponse_.clear();
        return StatusOnly(status::kWrongLength);
    }
    if (apdu->cla == kClassInterindustry && apdu->ins == kInsGetResponse) {
        return GetResponse(*apdu);
    }
    // A response waits for the very next command only.
    pendingResponse_.clear();
    const bool proprietaryVerify = apdu->cla == kClassProprietary && apdu->ins == kInsVerify;
    if (apdu->cla != kClassInterindustry && !proprietaryVerify) {
        return StatusOnly(status::kUnknownClass);
    }
    return Deliver(*apdu, Execute(*apdu));
}

FinancialCard::Outcome FinancialCard::Execute(const CommandApdu& command) {
    switch (command.ins) {
        case 0xA4:
            return Select(command);
        case 0xB2:
            return ReadRecord(command);
        case 0xB0:
            return ReadBinary(command);
        case kInsVerify:
            return Verify(command);
        case 0xD2:
            return WriteRecord(command);
        case 0xE2:
            return WriteTransaction(command);
        default:
            return {{}, status::kUnknownInstruction};
    }
}

Bytes FinancialCard::Deliver(const CommandApdu& command, const Outcome& outcome) {
    if (outcome.status != status::kSuccess || outcome.data.empty()) {
        return StatusOnly(outcome.status);
    }
    if (content_.protocol == Protocol::kT0 && command.HasData()) {
        pendingResponse_ = outcome.data;
        return StatusOnly(WithLength(status::kMoreDataBase, outcome.data.size()));
    }
    return ResponseOf(outcome.data, status::kSuccess);
}

Bytes FinancialCard::GetResponse(const CommandApdu& command) {
    if (command.p1 != 0 || command.p2 != 0) {
        pendingResponse_.clear();
        return StatusOnly(status::kWrongParameters);
    }
    if (pendingResponse_.empty()) {
        return StatusOnly(status::kConditionsNotSatisfied);
    }
    const std::size_t available = pendingResponse_.size();
    const std::size_t wanted = command.le.value_or(available);
    if (wanted > available) {
        // The response keeps waiting for a GET RESPONSE with the right length.
        return StatusOnly(WithLength(status::kExactLengthBase, available));
    }
    const Bytes part(pendingResponse_.begin(),
                     pendingResponse_.begin() + static_cast<std::ptrdiff_t>(wanted));
    pendingResponse_.erase(pendingResponse_.begin(),
                           pendingResponse_.begin() + static_cast<std::ptrdiff_t>(wanted));
    if (pendingResponse_.empty()) {
        return ResponseOf(part, status::kSuccess);
    }
    return ResponseOf(part, WithLength(status::kMoreDataBase, pendingResponse_.size()));
}

std::optional<FinancialCard::FileKind> FinancialCard::KindOf(std::uint16_t fileId) const {
    if (fileId == kEf1001 || fileId == kEf1002) {
        return FileKind::kAccountData;
    }
    if (fileId == kPinFile) {
        return FileKind::kPin;
    }
    const auto& files = content_.transactionFiles;
    if (std::find(files.begin(), files.end(), fileId) != files.end()) {
        return FileKind::kTransactions;
    }
    return std::nullopt;
}

const std::vector<Bytes>* FinancialCard::RecordsOf(std::uint16_t fileId) const {
    const auto file = accountFiles_.find(fileId);
    return file == accountFiles_.end() ? nullptr : &file->second;
}

}  // namespace kestrova::sim
