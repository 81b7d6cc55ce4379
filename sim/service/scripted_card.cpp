#include "sim/service/scripted_card.h"

#include <algorithm>
#include <utility>

#include "sim/service/hex_bytes.h"

namespace kestrova::sim {
namespace {

const Bytes kNoPreciseDiagnosis = {0x6F, 0x00};

std::size_t FirstDifference(const Bytes& left, const Bytes& right) {
    const std::size_t common = std::min(left.size(), right.size());
    const auto differing =
        std::mismatch(left.begin(), left.begin() + static_cast<long>(common), right.begin());
    return static_cast<std::size_t>(differing.first - left.begin());
}

}  // namespace

std::string Mismatch::Describe() const {
    std::string text = "command " + std::to_string(command) + ": ";
    if (expected.empty()) {
        return text + "none expected, received " + HexText(received);
    }
    text += "expected " + HexText(expected) + ", received " + HexText(received);
    text += " (first difference at offset " + std::to_string(FirstDifference(expected, received));
    if (expected.size() != received.size()) {
        text += "; " + std::to_string(expected.size()) + " bytes expected, " +
                std::to_string(received.size()) + " received";
    }
    return text + ")";
}

ScriptedCard::ScriptedCard(Bytes atr, Protocol protocol)
    : atr_(std::move(atr)), protocol_(protocol) {}

void ScriptedCard::Expect(Bytes command, Bytes response) {
    const std::lock_guard<std::mutex> lock(mutex_);
    pending_.push_back({std::move(command), std::move(response)});
}

Bytes ScriptedCard::Atr() const {
    return atr_;
}

Protocol ScriptedCard::CardProtocol() const {
    return protocol_;
}

Bytes ScriptedCard::Answer(const Bytes& command) {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++commandCount_;
    if (pending_.empty()) {
        mismatches_.push_back({commandCount_, {}, command});
        return kNoPreciseDiagnosis;
    }
    // The expectation is used up either way, so one wrong command is reported
    // once and the rest of the script stays in step.
    Exchange next = std::move(pending_.front());
    pending_.pop_front();
    if (next.command != command) {
        mismatches_.push_back({commandCount_, std::move(next.command), command});
        return kNoPreciseDiagnosis;
    }
    return next.response;
}

void ScriptedCard::Reset() {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++resetCount_;
}

bool ScriptedCard::AllConsumed() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return pending_.empty();
}

std::vector<Mismatch> ScriptedCard::Mismatches() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return mismatches_;
}

std::size_t ScriptedCard::CommandCount() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return commandCount_;
}

int ScriptedCard::ResetCount() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return resetCount_;
}

std::string ScriptedCard::Report() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::string report;
    for (const Mismatch& mismatch : mismatches_) {
        report += mismatch.Describe() + "\n";
    }
    for (const Exchange& exchange : pending_) {
        report += "never received: " + HexText(exchange.command) + "\n";
    }
    return report;
}

}  // namespace kestrova::sim
