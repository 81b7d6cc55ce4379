#pragma once

// The virtual financial card: the application A0 00 00 01 72 95 00 01 with
// EF1001, EF1002, the PIN file 00 C2, the transparent serial data, VERIFY
// with a retry counter, WRITE RECORD of the PIN and the write command 00 E2
// answering SNUM and TAC. It speaks T=0 (61XX and GET RESPONSE, 6CXX) or
// T=1 (answers at once) as its answer to reset says. Commands, status words
// and record layouts: sim/card/CARD.md.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "sim/card/card_content.h"
#include "sim/card/card_faults.h"
#include "sim/card/command_apdu.h"
#include "sim/card/pin_block.h"
#include "sim/service/simulated_card.h"

namespace kestrova::sim {

class FinancialCard final : public SimulatedCard {
  public:
    // Delays of injected faults go through `pause`; without one the card
    // sleeps.
    using Pause = std::function<void(int milliseconds)>;

    // The content is trusted to be valid (ParseCardProfile checks it); a PIN
    // that cannot be packed makes every VERIFY fail.
    explicit FinancialCard(CardContent content, Pause pause = {});

    Bytes Atr() const override;
    Protocol CardProtocol() const override;
    Bytes Answer(const Bytes& command) override;
    // Power-up or reset: nothing selected, PIN not verified, no pending
    // response. The PIN, its counter, the SNUM counter and the written
    // records stay.
    void Reset() override;

    int PinTriesLeft() const;
    bool PinVerified() const;
    std::uint32_t NextSnum() const;
    // The records written to a transaction file, newest first.
    std::vector<Bytes> TransactionRecords(std::uint16_t fileId) const;
    std::uint64_t CommandCount() const;

  private:
    struct Outcome {
        Bytes data;
        std::uint16_t status = status::kSuccess;
    };

    enum class FileKind { kAccountData, kPin, kTransactions };

    Outcome Execute(const CommandApdu& command);
    Outcome Select(const CommandApdu& command);
    Outcome SelectApplication(const CommandApdu& command);
    Outcome SelectElementaryFile(const CommandApdu& command);
    Outcome ReadRecord(const CommandApdu& command) const;
    Outcome ReadBinary(const CommandApdu& command) const;
    Outcome Verify(const CommandApdu& command);
    Outcome WriteRecord(const CommandApdu& command);
    Outcome WriteTransaction(const CommandApdu& command);
    Bytes GetResponse(const CommandApdu& command);

    // The answer on the wire: under T=0 a command that carried data leaves
    // its response data waiting for GET RESPONSE.
    Bytes Deliver(const CommandApdu& command, const Outcome& outcome);
    // The file control information when the command asks for it.
    Outcome WithFci(const CommandApdu& command, Bytes fci) const;

    std::optional<FileKind> KindOf(std::uint16_t fileId) const;
    const std::vector<Bytes>* RecordsOf(std::uint16_t fileId) const;

    const CardContent content_;
    const Bytes atr_;
    const std::map<std::uint16_t, std::vector<Bytes>> accountFiles_;
    const Bytes serialData_;
    const Pause pause_;

    mutable std::mutex mutex_;
    std::optional<PinBlock> pinBlock_;
    int pinTriesLeft_;
    std::uint32_t nextSnum_;
    std::map<std::uint16_t, std::deque<Bytes>> transactionLogs_;
    FaultInjector faults_;
    std::uint64_t commandCount_ = 0;

    // Session state, cleared at power-up.
    bool applicationSelected_ = false;
    std::optional<std::uint16_t> currentFile_;
    bool pinVerified_ = false;
    Bytes pendingResponse_;
};

}  // namespace kestrova::sim
