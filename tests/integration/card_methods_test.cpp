// A page's card methods end to end: the method table, the control's fields,
// the card and reader layers and the simulated service, with the virtual
// financial card (or a scripted one where exact bytes matter).

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

#include "control/hosting_page_guard.h"
#include "sim/card_profile.h"
#include "sim/hex_bytes.h"
#include "sim/profile_installer.h"
#include "sim/scripted_card.h"
#include "tests/integration/page_session_fixture.h"

namespace kestrova {
namespace {

using testing::PageSessionTest;

constexpr char kVirtualReader[] = "Kestrova Virtual Reader 0";

class CardMethodsTest : public PageSessionTest {
  protected:
    void Install(const sim::CardProfile& profile) {
        std::string error;
        ASSERT_TRUE(sim::InstallCardProfile(profile, &error)) << error;
    }

    void Install(std::string_view json) {
        sim::ProfileResult parsed = sim::ParseCardProfile(json);
        if (const auto* error = std::get_if<sim::ProfileError>(&parsed)) {
            FAIL() << error->message;
        }
        Install(std::get<sim::CardProfile>(parsed));
    }

    void Connect(const char* reader = kVirtualReader) {
        ASSERT_EQ(Long("ConnectCard", {S(reader)}), 0);
    }
};

// One reader whose card holds these EF1001 accounts, PIN 123456.
std::string OneCardProfile(std::string_view ef1001Accounts, std::string_view faults = "[]") {
    return std::string(R"({"readers": [{"name": "Kestrova Virtual Reader 0", "card": {
        "issuerBank": "0040", "ef1001": {"accounts": [)") +
           std::string(ef1001Accounts) + R"(]}, "faults": )" + std::string(faults) + "}}]}";
}

TEST_F(CardMethodsTest, AccountRulesOnTheVirtualCard) {
    Install(OneCardProfile(R"("0X40123456789012", "0040-23456789012", "0000000000000000",
                              "0040555566667777", "00abcdefghijklmn")"));
    Connect();
    EXPECT_EQ(Long("ListEF1001Accounts"), 0);
    EXPECT_EQ(Long("GetEF1001TotalAccounts"), 2);
    EXPECT_EQ(Text("ListEF1001AccountString"), "0040555566667777;00abcdefghijklmn;");
    // The single read has no offset-3 test, but still wants letters and digits.
    EXPECT_EQ(Text("GetEF1001Account", {L(0)}), "0X40123456789012");
    EXPECT_EQ(Text("GetEF1001Account", {L(1)}), "<null>");
    EXPECT_EQ(Long("GetLastError"), -1);
    EXPECT_EQ(Text("GetEF1001Account", {L(2)}), "<null>");
    EXPECT_EQ(Long("GetLastError"), 5378);
    // A slot beyond the card's eight: the read fails.
    EXPECT_EQ(Text("GetEF1001Account", {L(8)}), "<null>");
    EXPECT_EQ(Long("GetLastError"), 4611);
    // Success leaves the last error alone.
    EXPECT_EQ(Text("GetIssuerBank"), "0040");
    EXPECT_EQ(Long("GetLastError"), 4611);

    // No usable account: the count reads -1 and the list text is empty.
    EXPECT_EQ(Long("ListEF1002Accounts"), 0);
    EXPECT_EQ(Long("GetEF1002TotalAccounts"), -1);
    EXPECT_EQ(Text("ListEF1002AccountString"), "<null>");
    EXPECT_EQ(Long("GetLastError"), 4611);
}

TEST_F(CardMethodsTest, AReadFailingMidListKeepsTheAccountsBeforeIt) {
    Install(OneCardProfile(R"("0040123456789012", "0000000000000000", "0040555566667777",
                              "0040888899990000")",
                           R"([{"command": "00B20604", "status": "6A83", "times": "always"}])"));
    Connect();
    EXPECT_EQ(Long("ListEF1001Accounts"), 4611);
    EXPECT_EQ(Long("GetEF1001TotalAccounts"), 2);
    EXPECT_EQ(Text("ListEF1001AccountString"), "<null>");
    EXPECT_EQ(Long("GetLastError"), 4611);
    // A connect clears what the failed list left.
    Connect();
    EXPECT_EQ(Long("GetEF1001TotalAccounts"), -1);
}

TEST_F(CardMethodsTest, WithoutAConnectedCardTheReadsFailAtTheApplication) {
    Install(sim::DefaultCardProfile());
    EXPECT_EQ(Long("ListEF1001Accounts"), 4608);
    EXPECT_EQ(Long("GetEF1001TotalAccounts"), -1);
    EXPECT_EQ(Text("ReadCardSN"), "<null>");
    EXPECT_EQ(Long("GetLastError"), 4608);
    EXPECT_EQ(Long("VerifyPIN", {S(kVirtualReader), S(""), S("123456")}), 4608);
}

// Three tries: each wrong PIN answers 63 CX with the tries left, then the
// PIN is blocked, even for the right one.
TEST_F(CardMethodsTest, WrongAndBlockedPinsComeBackAsTheCardsStatusWords) {
    Install(sim::DefaultCardProfile());
    Connect();
    EXPECT_EQ(Long("VerifyPIN", {S(kVirtualReader), S(""), S("111111")}), 0x63C2);
    EXPECT_EQ(Long("VerifyPIN", {S(kVirtualReader), S(""), S("123456")}), 0);
    EXPECT_EQ(Long("VerifyPIN", {S(kVirtualReader), S(""), S("111111")}), 0x63C2);
    EXPECT_EQ(Long("VerifyPIN", {S(kVirtualReader), S(""), S("111111")}), 0x63C1);
    EXPECT_EQ(Long("VerifyPIN", {S(kVirtualReader), S(""), S("111111")}), 0x63C0);
    EXPECT_EQ(Long("VerifyPIN", {S(kVirtualReader), S(""), S("123456")}), 0x6983);
    EXPECT_EQ(Long("VerifyPIN", {S(kVirtualReader), S(""), S("12345")}), 4098);
    EXPECT_EQ(Long("VerifyPIN", {S(""), S(""), S("123456")}), 4353);
}

TEST_F(CardMethodsTest, ChangePinOnTypedReadersReplacesThePin) {
    Install(sim::DefaultCardProfile());
    Connect();
    EXPECT_EQ(
        Long("ChangePIN", {S(kVirtualReader), S(""), S("123456"), S("24681357"), S(""), L(0)}), 0);
    EXPECT_EQ(Long("VerifyPIN", {S(kVirtualReader), S(""), S("24681357")}), 0);
    EXPECT_EQ(Long("ChangePIN", {S(kVirtualReader), S(""), S("123456"), S("654321"), S(""), L(0)}),
              0x63C2);
    EXPECT_EQ(
        Long("ChangePIN", {S(kVirtualReader), S(""), S("24681357"), S("65432a"), S(""), L(0)}),
        4097);

    // The ACR83U takes the typed branch too, on a T=1 card.
    const char* acr83u = "ACS ACR83U 00 00";
    EXPECT_EQ(Long("ChangePIN", {S(acr83u), S(""), S("123456"), S("777777"), S(""), L(1)}), 0);
    ASSERT_EQ(Long("ConnectCard", {S(acr83u)}), 0);
    EXPECT_EQ(Long("VerifyPIN", {S(acr83u), S(""), S("777777")}), 0);
}

// The virtual card does not model a keypad: the F0 marker reaches it as
// data that is no PIN, which it refuses with 6A 80.
TEST_F(CardMethodsTest, ChangePinOnAKeypadReaderSendsTheMarker) {
    Install(R"({"readers": [{"name": "Todos eCode Connectable II 0", "card": {}}]})");
    sim::ClearEvents();
    EXPECT_EQ(Long("ChangePIN", {S("Todos eCode Connectable II 0"), S(""), S("1"), S("2"),
                                 S("8886000012345678"), L(0)}),
              0x6A80);
    const std::vector<std::string> events = sim::Events();
    ASSERT_FALSE(events.empty());
    EXPECT_NE(events.back().find("0020001008F0F0F0F0F0F0F0F0"), std::string::npos) << events.back();
}

TEST_F(CardMethodsTest, ChangePinFromARefusedPageDoesNoCardWork) {
    Install(sim::DefaultCardProfile());
    Connect();
    platform::StatedHostingPage refused(u"http://card.kestrova.example.com/card/pay");
    control_->SetClientSite(&refused, &userInterface_);
    sim::ClearEvents();
    EXPECT_EQ(Long("ChangePIN", {S(kVirtualReader), S(""), S("123456"), S("654321"), S(""), L(0)}),
              -1);
    EXPECT_EQ(sim::Events(), std::vector<std::string>{});
    ASSERT_EQ(userInterface_.boxes.size(), 1U);
    EXPECT_EQ(userInterface_.boxes[0].text, kIllegalAccessText);
    EXPECT_EQ(userInterface_.boxes[0].caption, kWarningCaption);

    // VerifyPIN is not guarded.
    EXPECT_EQ(Long("VerifyPIN", {S(kVirtualReader), S(""), S("123456")}), 0);
    EXPECT_EQ(userInterface_.boxes.size(), 1U);
    control_->SetClientSite(&page_, &userInterface_);
}

TEST_F(CardMethodsTest, TheSingleCommandsLeaveTheirAnswersForTheGetters) {
    Install(sim::DefaultCardProfile());
    Connect();
    EXPECT_EQ(Long("FiscSelectAID"), 0);
    EXPECT_EQ(Long("FiscSelectEF", {S("1001")}), 0);
    // Le FE meets 6C 12 and the record is read again with its own length.
    EXPECT_EQ(Long("FiscReadRecord", {L(3)}), 0);
    EXPECT_EQ(Text("GetRespData"), "031030303430313233343536373839303132");
    EXPECT_EQ(Long("GetRespLength"), 18);

    // Methods that store nothing leave the answer in place.
    EXPECT_EQ(Long("FiscSVCReadBalance", {S("")}), 0);
    EXPECT_EQ(Long("FiscSelectDF", {S("3F00")}), 4102);
    EXPECT_EQ(Long("FiscSelectDF", {S("3F0")}), 4098);
    EXPECT_EQ(Long("FiscSelectEF", {S("1009")}), 4609);
    EXPECT_EQ(Long("GetRespLength"), 18);

    EXPECT_EQ(Long("FiscReadRecord", {L(11)}), 0x6A83);
    EXPECT_EQ(Long("GetLastError"), 0x6A83);
    EXPECT_EQ(Text("GetRespData"), "<null>");
    EXPECT_EQ(Long("GetRespLength"), 0);

    EXPECT_EQ(Long("FiscTransmit", {L(5), S("00B2040412")}), 0);
    EXPECT_EQ(Text("GetRespData"), "041030303430393837363534333231303938");
    EXPECT_EQ(Long("GetRespLength"), 18);
    EXPECT_EQ(Long("GetLastError"), 0);
    EXPECT_EQ(Long("FiscTransmit", {L(4), S("00B20404120")}), 4098);
    EXPECT_EQ(Long("GetRespLength"), 0);
}

// "%0.2x" turns 256 and -1 into more than two digits: the wrong length,
// before the card is asked anything.
TEST_F(CardMethodsTest, RecordNumbersOutsideAByteAreTheWrongLength) {
    Install(sim::DefaultCardProfile());
    Connect();
    sim::ClearEvents();
    EXPECT_EQ(Long("FiscReadRecord", {L(256)}), 4098);
    EXPECT_EQ(Long("FiscReadRecord", {L(-1)}), 4098);
    EXPECT_EQ(Long("FiscReadRecord", {L(0)}), 4097);
    EXPECT_EQ(Long("FiscReadRecord", {L(255)}), 4097);
    EXPECT_EQ(sim::Events(), std::vector<std::string>{});
}

// Exact bytes through the whole control, from a scripted card.
class ScriptedCardPageTest : public PageSessionTest {
  protected:
    void SetUp() override {
        PageSessionTest::SetUp();
        sim::ReaderSetup setup;
        setup.name = "Reader A";
        ASSERT_TRUE(sim::AddReader(setup));
        card_ =
            std::make_shared<sim::ScriptedCard>(sim::HexBytes("3B 02 14 50"), sim::Protocol::kT0);
        ASSERT_TRUE(sim::PlugCard("Reader A", card_));
        ASSERT_EQ(Long("ConnectCard", {S("Reader A")}), 0);
    }

    void Expect(std::string_view command, std::string_view response) {
        card_->Expect(sim::HexBytes(command), sim::HexBytes(response));
    }

    void TearDown() override {
        EXPECT_EQ(card_->Report(), "");
        EXPECT_TRUE(card_->AllConsumed());
        PageSessionTest::TearDown();
    }

    std::shared_ptr<sim::ScriptedCard> card_;
};

TEST_F(ScriptedCardPageTest, TheRecordNumberIsSentAsFormatted) {
    Expect("00 B2 1A 04 FE", "0102 9000");
    EXPECT_EQ(Long("FiscReadRecord", {L(26)}), 0);
    EXPECT_EQ(Text("GetRespData"), "0102");
    // An answer without data: no bytes, not the 254 asked for.
    Expect("00 B2 05 04 FE", "90 00");
    EXPECT_EQ(Long("FiscReadRecord", {L(5)}), 0);
    EXPECT_EQ(Long("GetRespLength"), 0);
    EXPECT_EQ(Text("GetRespData"), "<null>");
}

TEST_F(ScriptedCardPageTest, TheIssuerBankEndsAtItsFirstZeroByte) {
    Expect("00 A4 04 00 08 A0 00 00 01 72 95 00 01", "90 00");
    Expect("00 A4 02 00 02 10 01", "90 00");
    Expect("00 B2 01 04 0A", "0108 30303430 00 313233 9000");
    EXPECT_EQ(Text("GetIssuerBank"), "0040");
}

TEST_F(ScriptedCardPageTest, ARawCommandsAnswerWithItsStatusBytes) {
    Expect("00 84 00 00 08", "0102030405060708 9000");
    EXPECT_EQ(Long("FiscTransmit", {L(5), S("0084000008")}), 0);
    EXPECT_EQ(Text("GetRespData"), "0102030405060708");
    EXPECT_EQ(Long("GetRespLength"), 8);
    Expect("00 84 00 00 08", "6A 82");
    EXPECT_EQ(Long("FiscTransmit", {L(5), S("0084000008")}), 0x6A82);
    EXPECT_EQ(Long("GetLastError"), 0x6A82);
    EXPECT_EQ(Text("GetRespData"), "<null>");
}

}  // namespace
}  // namespace kestrova
