// The card part of a card profile: its protocol and answer to reset, its
// files, PIN, key, SNUM counter and faults, with the defaults of
// sim/profiles/PROFILES.md for whatever is left out.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>

#include "sim/card/atr_protocol.h"
#include "sim/profiles/profile_parsing.h"

namespace kestrova::sim::profile {
namespace {

constexpr std::size_t kMaxFaults = 64;
constexpr std::size_t kMaxFaultPrefix = 16;
constexpr std::size_t kMaxTransactionFiles = 8;
constexpr std::int64_t kMaxCount = 1000000000;
constexpr std::int64_t kMaxDelayMs = 60000;
constexpr std::size_t kMaxAtr = 33;

const char* const kDefaultPin = "123456";
const Bytes kDefaultKey = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                           0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10};

std::uint16_t FileIdOf(const Bytes& bytes) {
    return static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
}

// Reads value[key] with `read` when the key is there; leaves `out` alone
// otherwise.
template <typename Read>
Failure Optional(const Json& object, const std::string& path, std::string_view key, Read read) {
    const auto member = object.find(key);
    if (member == object.end()) {
        return std::nullopt;
    }
    return read(*member, MemberPath(path, key));
}

Failure ParseProtocol(const Json& value, const std::string& path, Protocol& out) {
    std::string text;
    if (auto failure = ReadText(value, path, 3, 3, text)) {
        return ErrorAt(path, "must be \"T=0\" or \"T=1\"");
    }
    if (text == "T=0") {
        out = Protocol::kT0;
    } else if (text == "T=1") {
        out = Protocol::kT1;
    } else {
        return ErrorAt(path, "must be \"T=0\" or \"T=1\"");
    }
    return std::nullopt;
}

Failure ParseAccountFile(const Json& value, const std::string& path, std::size_t accountLength,
                         AccountFileContent& out) {
    if (auto failure = CheckObject(value, path, {"slots", "accounts"})) {
        return failure;
    }
    std::int64_t slots = static_cast<std::int64_t>(out.slots);
    if (auto failure = Optional(value, path, "slots", [&](const Json& v, const std::string& p) {
            return ReadInteger(v, p, 1, static_cast<std::int64_t>(kMaxAccountSlots), slots);
        })) {
        return failure;
    }
    out.slots = static_cast<std::size_t>(slots);
    const auto accounts = value.find("accounts");
    if (accounts == value.end()) {
        return std::nullopt;
    }
    const std::string accountsPath = MemberPath(path, "accounts");
    if (auto failure = CheckArray(*accounts, accountsPath, out.slots)) {
        return ErrorAt(accountsPath, "must be an array of at most " + std::to_string(out.slots) +
                                         " accounts (the number of slots)");
    }
    for (std::size_t i = 0; i < accounts->size(); ++i) {
        std::string account;
        if (auto failure = ReadText(accounts->at(i), ElementPath(accountsPath, i), accountLength,
                                    accountLength, account)) {
            return failure;
        }
        out.accounts.push_back(std::move(account));
    }
    return std::nullopt;
}

Failure ParsePin(const Json& value, const std::string& path, std::string& out) {
    const std::string requirement = "must be a text of " + std::to_string(kMinPinLength) + " to " +
                                    std::to_string(kMaxPinLength) + " digits";
    std::string pin;
    if (ReadText(value, path, kMinPinLength, kMaxPinLength, pin) ||
        !std::all_of(pin.begin(), pin.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return ErrorAt(path, requirement);
    }
    out = std::move(pin);
    return std::nullopt;
}

Failure ParseTransactionFiles(const Json& value, const std::string& path,
                              std::vector<std::uint16_t>& out) {
    if (auto failure = CheckArray(value, path, kMaxTransactionFiles)) {
        return failure;
    }
    out.clear();
    for (std::size_t i = 0; i < value.size(); ++i) {
        const std::string elementPath = ElementPath(path, i);
        Bytes id;
        if (auto failure = ReadHex(value.at(i), elementPath, 2, 2, id)) {
            return failure;
        }
        const std::uint16_t fileId = FileIdOf(id);
        if (fileId == kEf1001 || fileId == kEf1002 || fileId == kPinFile) {
            return ErrorAt(elementPath, "names EF1001, EF1002 or the PIN file");
        }
        if (std::find(out.begin(), out.end(), fileId) != out.end()) {
            return ErrorAt(elementPath, "names a file already given");
        }
        out.push_back(fileId);
    }
    return std::nullopt;
}

Failure ParseFaultTimes(const Json& value, const std::string& path, int& out) {
    if (value.is_string() && value.get_ref<const std::string&>() == "always") {
        out = 0;
        return std::nullopt;
    }
    std::int64_t times = 0;
    if (ReadInteger(value, path, 1, kMaxCount, times)) {
        return ErrorAt(
            path, "must be an integer from 1 to " + std::to_string(kMaxCount) + " or \"always\"");
    }
    out = static_cast<int>(times);
    return std::nullopt;
}

Failure ParseFault(const Json& value, const std::string& path, FaultRule& out) {
    if (auto failure =
            CheckObject(value, path, {"command", "nth", "skip", "times", "status", "delayMs"})) {
        return failure;
    }
    auto integer = [](std::int64_t min, std::int64_t max, int& target) {
        return [min, max, &target](const Json& v, const std::string& p) -> Failure {
            std::int64_t number = 0;
            if (auto failure = ReadInteger(v, p, min, max, number)) {
                return failure;
            }
            target = static_cast<int>(number);
            return std::nullopt;
        };
    };
    Failure failure = Optional(value, path, "command", [&](const Json& v, const std::string& p) {
        return ReadHex(v, p, 1, kMaxFaultPrefix, out.commandPrefix);
    });
    if (!failure) {
        failure = Optional(value, path, "nth", integer(1, kMaxCount, out.nth));
    }
    if (!failure) {
        failure = Optional(value, path, "skip", integer(0, kMaxCount, out.skip));
    }
    if (!failure) {
        failure = Optional(value, path, "times", [&](const Json& v, const std::string& p) {
            return ParseFaultTimes(v, p, out.times);
        });
    }
    if (!failure) {
        failure = Optional(value, path, "delayMs", integer(0, kMaxDelayMs, out.delayMs));
    }
    if (!failure) {
        failure = Optional(value, path, "status", [&](const Json& v, const std::string& p) {
            Bytes word;
            if (auto wrong = ReadHex(v, p, 2, 2, word)) {
                return wrong;
            }
            out.status = FileIdOf(word);
            return Failure{};
        });
    }
    if (failure) {
        return failure;
    }
    if (!out.status && out.delayMs == 0) {
        return ErrorAt(path, "does nothing: give a status, a delayMs, or both");
    }
    return std::nullopt;
}

Failure ParseFaults(const Json& value, const std::string& path, std::vector<FaultRule>& out) {
    if (auto failure = CheckArray(value, path, kMaxFaults)) {
        return failure;
    }
    for (std::size_t i = 0; i < value.size(); ++i) {
        FaultRule rule;
        if (auto failure = ParseFault(value.at(i), ElementPath(path, i), rule)) {
            return failure;
        }
        out.push_back(std::move(rule));
    }
    return std::nullopt;
}

Failure ParseSerial(const Json& value, const std::string& path, Bytes& out) {
    Bytes serial;
    if (auto failure = ReadHex(value, path, kSerialLength, kSerialDataLength, serial)) {
        return failure;
    }
    if (serial.size() != kSerialLength && serial.size() != kSerialDataLength) {
        return ErrorAt(path,
                       "must be hex text of 8 bytes (the serial number) or 16 bytes (the "
                       "whole transparent data)");
    }
    serial.resize(kSerialDataLength, 0x00);
    out = std::move(serial);
    return std::nullopt;
}

// The protocol and the answer to reset must agree: the reader chooses the
// protocol from the answer to reset alone.
Failure ParseProtocolAndAtr(const Json& value, const std::string& path, CardContent& out) {
    const bool protocolGiven = value.contains("protocol");
    if (auto failure = Optional(value, path, "protocol", [&](const Json& v, const std::string& p) {
            return ParseProtocol(v, p, out.protocol);
        })) {
        return failure;
    }
    const auto atr = value.find("atr");
    if (atr == value.end()) {
        return std::nullopt;
    }
    const std::string atrPath = MemberPath(path, "atr");
    if (auto failure = ReadHex(*atr, atrPath, 2, kMaxAtr, out.atr)) {
        return failure;
    }
    const auto chosen = ProtocolOfAtr(out.atr);
    if (!chosen) {
        return ErrorAt(atrPath, "is not a well-formed answer to reset");
    }
    if (protocolGiven && *chosen != out.protocol) {
        return ErrorAt(atrPath, out.protocol == Protocol::kT1
                                    ? "offers no T=1 but protocol is \"T=1\""
                                    : "offers T=1, which readers choose, but protocol is \"T=0\"");
    }
    out.protocol = *chosen;
    return std::nullopt;
}

Failure ParseTries(const Json& value, const std::string& path, CardContent& out) {
    std::int64_t tries = out.pinTries;
    if (auto failure = Optional(value, path, "pinTries", [&](const Json& v, const std::string& p) {
            return ReadInteger(v, p, 1, kMaxPinTries, tries);
        })) {
        return failure;
    }
    std::int64_t left = tries;
    if (auto failure =
            Optional(value, path, "pinTriesLeft", [&](const Json& v, const std::string& p) {
                return ReadInteger(v, p, 0, tries, left);
            })) {
        return failure;
    }
    out.pinTries = static_cast<int>(tries);
    out.pinTriesLeft = static_cast<int>(left);
    return std::nullopt;
}

}  // namespace

Failure ParseCardContent(const Json& value, const std::string& path, CardContent& out) {
    if (auto failure = CheckObject(
            value, path,
            {"protocol", "atr", "issuerBank", "remark", "serial", "ef1001", "ef1002", "pin",
             "pinTries", "pinTriesLeft", "key", "snumStart", "transactionFiles", "faults"})) {
        return failure;
    }
    out.pin = kDefaultPin;
    out.key = kDefaultKey;
    out.serialData.assign(kSerialDataLength, 0x00);
    std::int64_t snumStart = out.snumStart;
    using Reader = std::function<Failure(const Json&, const std::string&)>;
    const std::pair<std::string_view, Reader> fields[] = {
        {"issuerBank",
         [&](const Json& v, const std::string& p) {
             return ReadText(v, p, 0, kIssuerBankLength, out.issuerBank);
         }},
        {"remark",
         [&](const Json& v, const std::string& p) {
             return ReadHex(v, p, 0, kRemarkMaxLength, out.remark);
         }},
        {"serial",
         [&](const Json& v, const std::string& p) { return ParseSerial(v, p, out.serialData); }},
        {"ef1001",
         [&](const Json& v, const std::string& p) {
             return ParseAccountFile(v, p, kEf1001AccountLength, out.ef1001);
         }},
        {"ef1002",
         [&](const Json& v, const std::string& p) {
             return ParseAccountFile(v, p, kEf1002AccountLength, out.ef1002);
         }},
        {"pin", [&](const Json& v, const std::string& p) { return ParsePin(v, p, out.pin); }},
        {"key",
         [&](const Json& v, const std::string& p) {
             Bytes key;
             if (auto failure = ReadHex(v, p, 16, 24, key)) {
                 return failure;
             }
             if (key.size() != 16 && key.size() != 24) {
                 return Failure{ErrorAt(p, "must be hex text of 16 or 24 bytes")};
             }
             out.key = std::move(key);
             return Failure{};
         }},
        {"snumStart",
         [&](const Json& v, const std::string& p) {
             return ReadInteger(v, p, 0, kMaxSnum, snumStart);
         }},
        {"transactionFiles",
         [&](const Json& v, const std::string& p) {
             return ParseTransactionFiles(v, p, out.transactionFiles);
         }},
        {"faults",
         [&](const Json& v, const std::string& p) { return ParseFaults(v, p, out.faults); }},
    };
    if (auto failure = ParseProtocolAndAtr(value, path, out)) {
        return failure;
    }
    for (const auto& [key, read] : fields) {
        if (auto failure = Optional(value, path, key, read)) {
            return failure;
        }
    }
    out.snumStart = static_cast<std::uint32_t>(snumStart);
    return ParseTries(value, path, out);
}

}  // namespace kestrova::sim::profile
