// A page's card methods end to end: the method table, the control's fields,
// the card and reader layers and the simulated service, with the virtual
// financial card (or a scripted one where exact bytes matter).

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "control/hosting_page_guard.h"
#include "sim/profiles/card_profile.h"
#include "sim/profiles/profile_installer.h"
#include "sim/service/hex_bytes.h"
#include "sim/service/scripted_card.h"
#include "tests/integration/page_session_fixture.h"

namespace kestrova {
namespace {

using testing::PageSessionTest;

constexpr char kVirtualReader[] = "Kestrova Virtual Reader 0";

class CardMethodsTest : public PageSessionTest {
  protected:
    // The built-in profile, or one given as JSON; then the card is connected.
    void InstallAndConnect(std::string_view json = {}) {
        sim::ProfileResult parsed = json.empty() ? sim::ProfileResult(sim::DefaultCardProfile())
                                                 : sim::ParseCardProfile(json);
        if (const auto* error = std::get_if<sim::ProfileError>(&parsed)) {
            FAIL() << error->message;
        }
        std::string error;
        ASSERT_TRUE(sim::InstallCardProfile(std::get<sim::CardProfile>(parsed), &error)) << error;
        ASSERT_EQ(Long("ConnectCard", {S(kVirtualReader)}), 0);
    }

    std::int32_t Verify(const char* pin) {
        return Long("VerifyPIN", {S(kVirtualReader), S(""), S(pin)});
    }
    std::int32_t Change(const char* reader, const char* oldPin, const char* newPin) {
        return Long("ChangePIN", {S(reader), S(""), S(oldPin), S(newPin), S("serial"), L(0)});
    }
};

// The virtual reader's card with these EF1001 accounts and faults.
std::string Profile(std::string_view accounts, std::string_view faults = "[]") {
    return std::string(R"({"readers": [{"name": "Kestrova Virtual Reader 0", "card": {
        "issuerBank": "0040", "ef1001": {"accounts": [)") +
           std::string(accounts) + R"(]}, "faults": )" + std::string(faults) + "}}]}";
}

TEST_F(CardMethodsTest, AccountRulesOnTheVirtualCard) {
    InstallAndConnect(Profile(R"("0X40123456789012", "0040-23456789012", "0000000000000000",
                                 "0040555566667777", "00abcdefghijklmn")"));
    EXPECT_EQ(Long("ListEF1001Accounts"), 0);
    EXPECT_EQ(Long("GetEF1001TotalAccounts"), 2);
    EXPECT_EQ(Text("ListEF1001AccountString"), "0040555566667777;00abcdefghijklmn;");
    // The single read has no offset-3 test, but still wants letters and digits.
    EXPECT_EQ(Text("GetEF1001Account", {L(0)}), "0X40123456789012");
    EXPECT_EQ(Text("GetEF1001Account", {L(1)}), "<null>");
    EXPECT_EQ(Long("GetLastError"), -1);
    EXPECT_EQ(Text("GetEF1001Account", {L(2)}), "<null>");
    EXPECT_EQ(Long("GetLastError"), 5378);
    EXPECT_EQ(Text("GetEF1001Account", {L(8)}), "<null>");  // beyond the card's 8 slots
    EXPECT_EQ(Long("GetLastError"), 4611);
    // Success leaves the last error alone.
    EXPECT_EQ(Text("GetIssuerBank"), "0040");
    EXPECT_EQ(Long("ListEF1002Accounts"), 0);
    EXPECT_EQ(Long("GetEF1002TotalAccounts"), -1);
    EXPECT_EQ(Text("ListEF1002AccountString"), "<null>");
    EXPECT_EQ(Long("GetLastError"), 4611);
}

TEST_F(CardMethodsTest, AReadFailingMidListKeepsTheAccountsBeforeIt) {
    InstallAndConnect(Profile(R"("0040123456789012", "0000000000000000", "0040555566667777",
                                 "0040888899990000")",
                              R"([{"command": "00B20604", "status": "6A83", "times": "always"}])"));
    EXPECT_EQ(Long("ListEF1001Accounts"), 4611);
    EXPECT_EQ(Long("GetEF1001TotalAccounts"), 2);
    EXPECT_EQ(Text("ListEF1001AccountString"), "<null>");
    EXPECT_EQ(Long("GetLastError"), 4611);
    // A connect clears what the failed list left; without a card the reads
    // fail at the application.
    EXPECT_EQ(Long("ConnectCard", {S("No Such Reader")}), static_cast<std::int32_t>(0x80100009U));
    EXPECT_EQ(Long("GetEF1001TotalAccounts"), -1);
    EXPECT_EQ(Long("ListEF1001Accounts"), 4608);
    EXPECT_EQ(Text("ReadCardSN"), "<null>");
    EXPECT_EQ(Long("GetLastError"), 4608);
}

// Three tries: each wrong PIN answers 63 CX with the tries left, then the
// PIN is blocked, even for the right one.
TEST_F(CardMethodsTest, WrongAndBlockedPinsComeBackAsTheCardsStatusWords) {
    InstallAndConnect();
    EXPECT_EQ(Verify("111111"), 0x63C2);
    EXPECT_EQ(Verify("123456"), 0);
    EXPECT_EQ(Verify("111111"), 0x63C2);
    EXPECT_EQ(Verify("111111"), 0x63C1);
    EXPECT_EQ(Verify("111111"), 0x63C0);
    EXPECT_EQ(Verify("123456"), 0x6983);
}

TEST_F(CardMethodsTest, ChangePinOnTypedReaders) {
    InstallAndConnect();
    EXPECT_EQ(Change(kVirtualReader, "123456", "24681357"), 0);
    EXPECT_EQ(Verify("24681357"), 0);
    EXPECT_EQ(Change(kVirtualReader, "123456", "654321"), 0x63C2);
    // The ACR83U takes the typed branch too, on its T=1 card.
    EXPECT_EQ(Change("ACS ACR83U 00 00", "123456", "777777"), 0);
}

TEST_F(CardMethodsTest, ChangePinFromARefusedPageDoesNoCardWork) {
    InstallAndConnect();
    platform::StatedHostingPage refused(u"http://card.kestrova.example.com/card/pay");
    control_->SetClientSite(&refused, &userInterface_);
    sim::ClearEvents();
    EXPECT_EQ(Change(kVirtualReader, "123456", "654321"), -1);
    EXPECT_EQ(sim::Events(), std::vector<std::string>{});
    ASSERT_EQ(userInterface_.boxes.size(), 1U);
    EXPECT_EQ(userInterface_.boxes[0].text, kIllegalAccessText);
    EXPECT_EQ(userInterface_.boxes[0].caption, kWarningCaption);
    // Nor is a PIN guessed: VerifyPIN refuses silently.
    EXPECT_EQ(Verify("123456"), -1);
    EXPECT_EQ(sim::Events(), std::vector<std::string>{});
    EXPECT_EQ(userInterface_.boxes.size(), 1U);
    control_->SetClientSite(&page_, &userInterface_);
}

TEST_F(CardMethodsTest, TheSingleCommandsLeaveTheirAnswersForTheGetters) {
    InstallAndConnect();
    EXPECT_EQ(Long("FiscSelectAID"), 0);
    EXPECT_EQ(Long("FiscSelectEF", {S("1001")}), 0);
    // Le FE meets 6C 12, and the record is read again with its own length.
    EXPECT_EQ(Long("FiscReadRecord", {L(3)}), 0);
    EXPECT_EQ(Text("GetRespData"), "031030303430313233343536373839303132");
    EXPECT_EQ(Long("GetRespLength"), 18);
    // Methods that store nothing leave the answer in place.
    EXPECT_EQ(Long("FiscSVCReadBalance", {S("")}), 0);
    EXPECT_EQ(Long("FiscSelectDF", {S("3F00")}), 4102);
    EXPECT_EQ(Long("FiscSelectEF", {S("1009")}), 4609);
    EXPECT_EQ(Long("GetRespLength"), 18);

    EXPECT_EQ(Long("FiscTransmit", {L(5), S("00B20B0412")}), 0x6A83);
    EXPECT_EQ(Long("GetLastError"), 0x6A83);
    EXPECT_EQ(Text("GetRespData"), "<null>");
    EXPECT_EQ(Long("FiscTransmit", {L(5), S("00B2040412")}), 0);
    EXPECT_EQ(Text("GetRespData"), "041030303430393837363534333231303938");
    EXPECT_EQ(Long("GetRespLength"), 18);

    // "%0.2x" turns 256 and -1 into more than two digits: the wrong length,
    // before the card is asked anything.
    sim::ClearEvents();
    EXPECT_EQ(Long("FiscReadRecord", {L(256)}), 4098);
    EXPECT_EQ(Long("FiscReadRecord", {L(-1)}), 4098);
    EXPECT_EQ(Long("FiscReadRecord", {L(255)}), 4097);
    EXPECT_EQ(Long("GetRespLength"), 0);
    EXPECT_EQ(sim::Events(), std::vector<std::string>{});
}

// Exact bytes through the whole control, from a scripted card.
TEST_F(PageSessionTest, RecordNumberAndIssuerTextOnAScriptedCard) {
    AddReader("Reader A", false);
    auto card = std::make_shared<sim::ScriptedCard>(sim::HexBytes("3B021450"), sim::Protocol::kT0);
    ASSERT_TRUE(sim::PlugCard("Reader A", card));
    ASSERT_EQ(Long("ConnectCard", {S("Reader A")}), 0);
    card->Expect(sim::HexBytes("00 B2 1A 04 FE"), sim::HexBytes("0102 9000"));
    EXPECT_EQ(Long("FiscReadRecord", {L(26)}), 0);
    EXPECT_EQ(Text("GetRespData"), "0102");
    // The issuer's 8 bytes end at the first zero byte.
    card->Expect(sim::HexBytes("00 A4 04 00 08 A0 00 00 01 72 95 00 01"), sim::HexBytes("9000"));
    card->Expect(sim::HexBytes("00 A4 02 00 02 10 01"), sim::HexBytes("9000"));
    card->Expect(sim::HexBytes("00 B2 01 04 0A"), sim::HexBytes("0108 30303430 00 313233 9000"));
    EXPECT_EQ(Text("GetIssuerBank"), "0040");
    EXPECT_EQ(card->Report(), "");
    EXPECT_TRUE(card->AllConsumed());
}

}  // namespace
}  // namespace kestrova
