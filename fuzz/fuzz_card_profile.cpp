// Arbitrary text through the card-profile parser: it must answer a profile
// or an error naming where, never throw or crash; a profile it accepts keeps
// the documented limits and gives cards that answer commands.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <variant>

#include "sim/card/financial_card.h"
#include "sim/profiles/card_profile.h"
#include "sim/service/hex_bytes.h"

namespace {

using namespace kestrova::sim;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void CheckCard(const CardContent& content) {
    Require(content.issuerBank.size() <= kIssuerBankLength);
    Require(content.remark.size() <= kRemarkMaxLength);
    Require(content.serialData.size() == kSerialDataLength);
    Require(content.ef1001.accounts.size() <= content.ef1001.slots);
    Require(content.ef1002.accounts.size() <= content.ef1002.slots);
    Require(content.key.size() == 16 || content.key.size() == 24);
    Require(content.pinTriesLeft >= 0 && content.pinTriesLeft <= content.pinTries);
    Require(content.snumStart <= kMaxSnum);

    FinancialCard card(content, [](int) {});
    Require(card.Atr().size() >= 2 && card.Atr().size() <= 33);
    for (const char* command :
         {"00A4040008A000000172950001", "00A4040008A00000017295000100", "00C0000000",
          "00A40200021001", "00B2010400", "00B2020420", "00B0000010", "0020001008123456FFFFFFFFFF",
          "00E2100308000102030405060700", "00A4020002 00C2", "00D2010408654321FFFFFFFFFF"}) {
        const Bytes answer = card.Answer(HexBytes(command));
        Require(answer.size() >= 2 && answer.size() <= 258);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ProfileResult result = ParseCardProfile(text);
    if (const auto* error = std::get_if<ProfileError>(&result)) {
        Require(!error->message.empty());
        return 0;
    }
    const CardProfile& profile = std::get<CardProfile>(result);
    Require(!profile.readers.empty());
    for (const ReaderProfile& reader : profile.readers) {
        Require(!reader.name.empty() && reader.name.size() <= 127);
        Require(reader.card.has_value() || !reader.cardPresent);
        if (reader.card) {
            CheckCard(*reader.card);
        }
    }
    return 0;
}
