#pragma once

// What one virtual financial card holds: its answer to reset, its files, its
// PIN and key, its sequence-number counter and the faults it is told to show.
// The record layouts built from it are described in sim/card/CARD.md.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/service/simulated_card.h"

namespace kestrova::sim {

inline constexpr std::array<std::uint8_t, 8> kFinancialAid = {0xA0, 0x00, 0x00, 0x01,
                                                              0x72, 0x95, 0x00, 0x01};

inline constexpr std::uint16_t kEf1001 = 0x1001;
inline constexpr std::uint16_t kEf1002 = 0x1002;
inline constexpr std::uint16_t kPinFile = 0x00C2;
inline constexpr std::uint16_t kDefaultTransactionFile = 0x1003;

inline constexpr std::size_t kIssuerBankLength = 8;
inline constexpr std::size_t kRemarkMaxLength = 30;
inline constexpr std::size_t kSerialLength = 8;
inline constexpr std::size_t kSerialDataLength = 16;
inline constexpr std::size_t kEf1001AccountLength = 16;
inline constexpr std::size_t kEf1002AccountLength = 24;
inline constexpr std::size_t kMaxAccountSlots = 16;
inline constexpr std::size_t kMinPinLength = 6;
inline constexpr std::size_t kMaxPinLength = 12;
inline constexpr int kMaxPinTries = 15;
inline constexpr std::uint32_t kMaxSnum = 99999999;
// The transaction file keeps this many of the last records written.
inline constexpr std::size_t kTransactionLogCapacity = 16;

// Answers to reset: the first offers T=0 only, the second T=0 and T=1, for
// which the reader chooses T=1.
inline const Bytes kDefaultT0Atr = {0x3B, 0x02, 0x14, 0x50};
inline const Bytes kDefaultT1Atr = {0x3B, 0x80, 0x80, 0x01, 0x01};

struct AccountFileContent {
    // Number of account records in the file; records beyond `accounts` hold
    // all '0' characters (an unused slot).
    std::size_t slots = 8;
    // One text per slot from the first, each exactly the file's account
    // length in printable ASCII. An all-'0' text is an unused slot too.
    std::vector<std::string> accounts;
};

// A fault the card shows instead of (or before) its normal answer.
struct FaultRule {
    Bytes commandPrefix;  // matches commands starting with these bytes; empty: any
    int nth = 0;          // matches only the n-th command the card ever received; 0: any
    int skip = 0;         // matching commands answered normally before the fault starts
    int times = 1;        // matching commands that get the fault; 0: every one
    std::optional<std::uint16_t> status;  // answered instead of executing; none: delay only
    int delayMs = 0;                      // pause before the answer
};

struct CardContent {
    Protocol protocol = Protocol::kT0;
    Bytes atr;  // empty: the default answer to reset of the protocol
    // Up to 8 bytes; the record pads the rest with zero bytes.
    std::string issuerBank;
    Bytes remark;      // up to 30 bytes
    Bytes serialData;  // 16 bytes: the serial number, then 8 further bytes
    AccountFileContent ef1001;
    AccountFileContent ef1002;
    std::string pin;  // 6 to 12 digits
    int pinTries = 3;
    int pinTriesLeft = 3;
    Bytes key;  // 16 or 24 bytes: two- or three-key triple DES
    std::uint32_t snumStart = 1;
    std::vector<std::uint16_t> transactionFiles = {kDefaultTransactionFile};
    std::vector<FaultRule> faults;
};

// The answer to reset the card shows: its own, or the protocol's default.
Bytes EffectiveAtr(const CardContent& content);

}  // namespace kestrova::sim
