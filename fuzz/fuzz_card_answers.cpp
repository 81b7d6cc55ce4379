// Arbitrary card answers against everything that reads them: ExchangeCommand
// itself (chaining, resends, short and oversized answers), the account and
// card-data reads, PIN verification and change, and the single commands with
// their response fields. The card is a simulated one whose every answer comes
// from the fuzzer's input, in a reader of the simulated PC/SC service bound
// by path as the system's service is. Buffers handed to the card layer are
// exactly as large as it is promised, so a write past one is caught.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "card/account_data.h"
#include "card/card_commands.h"
#include "card/card_data.h"
#include "card/pin_operations.h"
#include "card/raw_commands.h"
#include "platform/pause.h"
#include "reader/apdu_exchange.h"
#include "reader/card_service.h"
#include "reader/reader_operations.h"
#include "reader/service_binding.h"
#include "sim/service/simulated_card.h"
#include "sim/service/simulated_pcsc.h"

namespace {

using namespace kestrova;

constexpr char kReader[] = "Fuzz Reader";

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void NoPause(std::uint32_t /*milliseconds*/) {}

// Answers each command with the next piece of the input: mostly a status
// word alone or data and a status word, sometimes anything at all, including
// fewer than two bytes or more than a reader accepts.
class FuzzCard final : public sim::SimulatedCard {
  public:
    FuzzCard(FuzzedDataProvider& provider, sim::Protocol protocol)
        : provider_(provider), protocol_(protocol) {}

    sim::Bytes Atr() const override {
        return protocol_ == sim::Protocol::kT0 ? sim::Bytes{0x3B, 0x02, 0x14, 0x50}
                                               : sim::Bytes{0x3B, 0x80, 0x80, 0x01, 0x01};
    }
    sim::Protocol CardProtocol() const override { return protocol_; }

    sim::Bytes Answer(const sim::Bytes& /*command*/) override {
        static constexpr std::uint8_t kChainingAndCommon[][2] = {
            {0x90, 0x00}, {0x61, 0x00}, {0x61, 0x10}, {0x6C, 0x00}, {0x6C, 0x12},
            {0x63, 0xC2}, {0x69, 0x83}, {0x6A, 0x82}, {0x6A, 0x83}};
        switch (provider_.ConsumeIntegralInRange<int>(0, 3)) {
            case 0: {
                const auto& sw = kChainingAndCommon[provider_.ConsumeIntegralInRange<std::size_t>(
                    0, std::size(kChainingAndCommon) - 1)];
                return {sw[0], sw[1]};
            }
            case 1:
            case 2: {
                sim::Bytes answer = provider_.ConsumeBytes<std::uint8_t>(
                    provider_.ConsumeIntegralInRange<std::size_t>(0, 40));
                answer.push_back(provider_.ConsumeBool() ? 0x90 : 0x61);
                answer.push_back(provider_.ConsumeIntegral<std::uint8_t>());
                return answer;
            }
            default:
                return provider_.ConsumeBytes<std::uint8_t>(
                    provider_.ConsumeIntegralInRange<std::size_t>(0, 300));
        }
    }

  private:
    FuzzedDataProvider& provider_;
    const sim::Protocol protocol_;
};

void FuzzExchangeCommand(FuzzedDataProvider& provider, std::int32_t slot) {
    const auto lc = provider.ConsumeIntegral<std::uint8_t>();
    const std::vector<std::uint8_t> data = provider.ConsumeBytes<std::uint8_t>(lc);
    std::vector<std::uint8_t> exactData(lc);
    std::copy(data.begin(), data.end(), exactData.begin());
    std::uint8_t lengthByte = provider.ConsumeIntegral<std::uint8_t>();
    const bool withLengthByte = provider.ConsumeBool();
    // On the heap, so that a write past the answer's end is caught.
    const auto response = std::make_unique<CardResponse>();
    response->length = -1;
    const CardCommand command{0x00,      provider.ConsumeIntegral<std::uint8_t>(),
                              0x00,      0x00,
                              exactData, withLengthByte ? std::optional(lengthByte) : std::nullopt};
    ExchangeCommand(slot, command, *response);
    Require(response->length >= 0 &&
            response->length <= static_cast<std::int32_t>(kResponseDataSize));
}

bool IsAccountText(const std::string& text, std::size_t length) {
    return text.size() == length && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
           });
}

void FuzzAccounts(FuzzedDataProvider& provider, std::int32_t slot) {
    const AccountFile& file = provider.ConsumeBool() ? kEf1001File : kEf1002File;
    switch (provider.ConsumeIntegralInRange<int>(0, 2)) {
        case 0: {
            AccountNumberList list{};
            std::int32_t count = -1;
            ReadAccountList(slot, file, count, list);
            Require(count >= -1 && count <= file.listedRecords);
            for (std::int32_t i = 0; i < count; ++i) {
                Require(IsAccountText(list[static_cast<std::size_t>(i)], file.accountNumberLength));
            }
            break;
        }
        case 1: {
            std::string text;
            if (ReadAccount(slot, file, provider.ConsumeIntegralInRange<std::int32_t>(-1, 9),
                            text) == 0) {
                Require(IsAccountText(text, file.accountNumberLength));
            }
            break;
        }
        default: {
            std::string text;
            if (ReadAccountString(slot, file, text) == 0) {
                Require(text.size() % (file.accountNumberLength + 1) == 0);
                Require(text.size() <= 8 * (file.accountNumberLength + 1));
            }
            break;
        }
    }
}

void FuzzCardData(FuzzedDataProvider& provider, std::int32_t slot) {
    std::string text;
    switch (provider.ConsumeIntegralInRange<int>(0, 2)) {
        case 0: {
            IssuerBankBytes issuer{};
            ReadIssuerBank(slot, issuer);
            break;
        }
        case 1:
            if (ReadIccRemark(slot, text) == 0) {
                Require(text.size() <= 60 && text.size() % 2 == 0);
            }
            break;
        default:
            if (ReadCardSerial(slot, text) == 0) {
                Require(text.size() == 16);
            }
            break;
    }
}

void FuzzPin(FuzzedDataProvider& provider, std::int32_t slot) {
    static constexpr const char* kReaders[] = {kReader, "ACS ACR83U 0",
                                               "Todos eCode Connectable 0"};
    const char* reader = kReaders[provider.ConsumeIntegralInRange<std::size_t>(0, 2)];
    const std::string pin = provider.ConsumeRandomLengthString(14);
    if (provider.ConsumeBool()) {
        VerifyPin(reader, "", slot, pin.c_str());
    } else {
        // Only the fuzz reader exists, so the change connects its card.
        ChangePin(kReader, "", pin.c_str(), provider.ConsumeRandomLengthString(14).c_str(), "", 0);
    }
}

void FuzzRawCommands(FuzzedDataProvider& provider, std::int32_t slot) {
    std::int32_t lastError = 0;
    std::int32_t lastResultCode = 0;
    std::int32_t respLength = 0;
    std::string respData;
    ResponseFields fields{lastError, lastResultCode, respLength, respData};
    if (provider.ConsumeBool()) {
        const std::vector<std::uint8_t> command = provider.ConsumeBytes<std::uint8_t>(
            provider.ConsumeIntegralInRange<std::size_t>(0, 12));
        std::string text(2 * command.size(), '\0');
        for (std::size_t i = 0; i < command.size(); ++i) {
            text[2 * i] = "0123456789ABCDEF"[command[i] >> 4];
            text[2 * i + 1] = "0123456789ABCDEF"[command[i] & 0x0F];
        }
        TransmitHexCommand(slot, static_cast<std::int32_t>(command.size()), text.c_str(), fields);
    } else {
        const char text[3] = {"0123456789abcdef"[provider.ConsumeIntegralInRange<int>(0, 15)],
                              "0123456789abcdef"[provider.ConsumeIntegralInRange<int>(0, 15)], 0};
        ReadRecordOfCurrentFile(slot, text, fields);
    }
    Require(respData.size() == 2 * static_cast<std::size_t>(respLength));
    Require(respLength >= 0 && respLength <= 65533);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool initialised = [] {
        platform::ReplacePause(&NoPause);
        SetCardServiceLibrary(KESTROVA_SIM_PCSC_LIBRARY);
        return true;
    }();
    (void)initialised;

    FuzzedDataProvider provider(data, size);
    sim::Reset();
    UnbindCardService();
    TheCardService() = CardService{};
    sim::ReaderSetup setup;
    setup.name = kReader;
    Require(sim::AddReader(setup));
    const sim::Protocol protocol = provider.ConsumeBool() ? sim::Protocol::kT0 : sim::Protocol::kT1;
    Require(sim::PlugCard(kReader, std::make_shared<FuzzCard>(provider, protocol)));

    std::int32_t slot = 0;
    std::int32_t readerCount = 1;
    std::int32_t textLength = 0;
    AtrText atrText{};
    Require(OpenCard(kReader, slot, readerCount, textLength, atrText) == 0);

    while (provider.remaining_bytes() > 0) {
        switch (provider.ConsumeIntegralInRange<int>(0, 4)) {
            case 0:
                FuzzExchangeCommand(provider, slot);
                break;
            case 1:
                FuzzAccounts(provider, slot);
                break;
            case 2:
                FuzzCardData(provider, slot);
                break;
            case 3:
                FuzzPin(provider, slot);
                break;
            default:
                FuzzRawCommands(provider, slot);
                break;
        }
    }
    return 0;
}
