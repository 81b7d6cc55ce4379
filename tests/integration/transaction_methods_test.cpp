// A page's transaction on the virtual financial card: the method table, the
// control's fields, the flow, the card layer and the simulated service, with
// the confirmation window answered by a stand-in user.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "card/hex.h"
#include "control/hosting_page_guard.h"
#include "platform/modal_dialog.h"
#include "sim/profiles/card_profile.h"
#include "sim/profiles/profile_installer.h"
#include "sim/service/simulated_pcsc.h"
#include "tests/integration/page_session_fixture.h"
#include "tests/support/scripted_dialog_window.h"

namespace kestrova {
namespace {

using testing::PageSessionTest;

constexpr char kVirtualReader[] = "Kestrova Virtual Reader 0";
constexpr char kCardKey[] = "0123456789ABCDEFFEDCBA9876543210";  // the default profile's

// A transfer: code 252, amount 1234.56, payee account at 48, bank at 64.
const std::string k252Record = std::string("2520") + "00000000123456" + std::string(30, ' ') +
                               "0040987654321098" + "KESTROVA BANK   ";

// Ends the window with OK or Cancel as told, or runs it as a person would:
// takes the card out, puts it back and presses OK once it is enabled.
class StandInUser final : public platform::UserInterface {
  public:
    void ShowMessageBox(std::string_view text, std::string_view caption,
                        platform::MessageBoxIcon /*icon*/) override {
        boxes.push_back(std::string(text) + "|" + std::string(caption));
    }
    std::int32_t RunModal(platform::ModalDialog& dialog) override {
        ++windows;
        if (whileOpen) {
            test_support::ScriptedDialogWindow window(dialog);
            window.Open();
            whileOpen(window);
            return window.EndCode();
        }
        if (!takeCardOutAndBack) {
            return answer;
        }
        test_support::ScriptedDialogWindow window(dialog);
        window.Open();
        window.Tick(3);
        EXPECT_FALSE(window.PressOk());  // the card has not been out yet
        EXPECT_TRUE(sim::RemoveCard(kVirtualReader));
        window.Tick(2);
        EXPECT_TRUE(sim::InsertCard(kVirtualReader));
        window.Tick(2);
        EXPECT_TRUE(window.PressOk());
        return window.EndCode();
    }
    std::int32_t answer = platform::kDialogOk;
    bool takeCardOutAndBack = false;
    // Runs the window by hand instead, when set.
    std::function<void(test_support::ScriptedDialogWindow&)> whileOpen;
    int windows = 0;
    std::vector<std::string> boxes;
};

class TransactionMethodsTest : public PageSessionTest {
  protected:
    void SetUp() override {
        PageSessionTest::SetUp();
        control_->SetClientSite(&page_, &user_);
        std::string error;
        ASSERT_TRUE(sim::InstallCardProfile(sim::DefaultCardProfile(), &error)) << error;
    }

    std::int32_t Transaction(std::string_view method, const std::string& record,
                             const char* pin = "123456") {
        return Long(method, {S(kVirtualReader), S(""), S("1003"),
                             L(static_cast<std::int32_t>(record.size())), S(record), S(pin),
                             S("<CAPTION>Transfer</CAPTION>")});
    }

    // The TAC the card must have computed, by the control's own MAC method.
    std::string ExpectedTac(const std::string& record) {
        std::string hex(2 * record.size(), '\0');
        HexEncode(static_cast<std::int32_t>(record.size()),
                  reinterpret_cast<const std::uint8_t*>(record.data()), hex.data());
        EXPECT_EQ(Long("MAC", {L(16), S(kCardKey), S("0000000000000000"),
                               L(static_cast<std::int32_t>(record.size())), S(hex)}),
                  0);
        return Text("GetRespData");
    }

    StandInUser user_;
};

// The window runs on the card it confirms: the card goes out and comes back
// (forgetting its selection), and the flow still reads its information.
TEST_F(TransactionMethodsTest, AConfirmedTransferOnTheVirtualCard) {
    ASSERT_EQ(Long("ConnectCard", {S(kVirtualReader)}), 0);
    user_.takeCardOutAndBack = true;
    EXPECT_EQ(Transaction("WriteRecordWithSNUMTACProc", k252Record), 0);
    user_.takeCardOutAndBack = false;
    EXPECT_EQ(user_.windows, 1);
    EXPECT_TRUE(user_.boxes.empty());
    EXPECT_EQ(Text("GetRespSNUM"), "00000001");
    EXPECT_EQ(Long("GetRespLength"), 27);
    const std::string data = Text("GetRespData");
    ASSERT_EQ(data.size(), 54U);
    EXPECT_EQ(data.substr(0, 18), "503030303030303031");  // length, SNUM
    EXPECT_EQ(data.substr(18, 4), "1003");                // the file written
    const std::string tac = Text("GetRespTAC");
    EXPECT_EQ(tac, data.substr(22, 16));
    EXPECT_EQ(Text("GetTransactionIssuer"), "00400012");
    EXPECT_EQ(Text("GetTransactionRemark"),
              "0102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E");
    EXPECT_EQ(Text("GetTransactionAccount"), "0040123456789012");
    EXPECT_EQ(Text("GetRespDateTime"), "<null>");
    EXPECT_EQ(tac, ExpectedTac(k252Record));

    // The next record gets the next number.
    EXPECT_EQ(Transaction("WriteRecordWithSNUMTACProc", k252Record), 0);
    EXPECT_EQ(Text("GetRespSNUM"), "00000002");
}

// The card has written when the user refuses: the answer is withheld, the
// card reset, and the page keeps the previous transaction's results.
TEST_F(TransactionMethodsTest, ACancelledTransferPublishesNothing) {
    ASSERT_EQ(Long("ConnectCard", {S(kVirtualReader)}), 0);
    ASSERT_EQ(Transaction("WriteRecordWithSNUMTACProc", k252Record), 0);
    const std::string tac = Text("GetRespTAC");

    user_.answer = platform::kDialogCancel;
    EXPECT_EQ(Transaction("WriteRecordWithSNUMTACProc", k252Record), 5123);
    EXPECT_EQ(user_.boxes, std::vector<std::string>{"\xA5\xE6\xA9\xF6\xA8\xFA\xAE\xF8\xA1\x49|"
                                                    "Kestrova"});
    EXPECT_EQ(Text("GetRespData"), "<null>");
    EXPECT_EQ(Long("GetRespLength"), 0);
    EXPECT_EQ(Text("GetRespSNUM"), "00000001");
    EXPECT_EQ(Text("GetRespTAC"), tac);

    // The reset forgot the PIN, so the next write is verified again.
    user_.answer = platform::kDialogOk;
    EXPECT_EQ(Transaction("WriteRecordWithSNUMTACProc", k252Record), 0);
    EXPECT_EQ(Text("GetRespSNUM"), "00000003");
}

// Two pages in one process share the card service; one page goes (its
// control is destroyed, which closes the service for both) while the other's
// confirmation window waits, at each stage of the window. The other's
// window then ends as cancelled at its next tick: nothing is published, the
// transfer answers 5123, and the page's next transfer works.
TEST_F(TransactionMethodsTest, AnotherControlDestroyedDuringTheWindowCancelsTheTransfer) {
    const struct {
        const char* stage;
        std::function<void(test_support::ScriptedDialogWindow&)> before;
    } stages[] = {
        {"the card still in", [](auto& window) { window.Tick(2); }},
        {"the card out",
         [](auto& window) {
             EXPECT_TRUE(sim::RemoveCard(kVirtualReader));
             window.Tick(2);
         }},
        {"the card back, OK enabled",
         [](auto& window) {
             EXPECT_TRUE(sim::RemoveCard(kVirtualReader));
             window.Tick(2);
             EXPECT_TRUE(sim::InsertCard(kVirtualReader));
             window.Tick(2);
             EXPECT_TRUE(window.OkEnabled());
         }},
    };
    for (const auto& stage : stages) {
        SCOPED_TRACE(stage.stage);
        auto other = std::make_unique<CKestrovaCtrl>();
        other->SetClientSite(&page_, &user_);
        ASSERT_EQ(Call(*other, "ConnectCard", {S(kVirtualReader)}).AsLong(), 0);
        // The page that goes has used the card too.
        ASSERT_EQ(Long("ListReaders"), 0);
        user_.whileOpen = [&](test_support::ScriptedDialogWindow& window) {
            stage.before(window);
            control_.reset();
            EXPECT_EQ(window.Tick(3), 1) << "the window ends at its next tick";
            EXPECT_FALSE(window.PressOk());
        };
        user_.boxes.clear();
        const std::int32_t answer =
            Call(*other, "WriteRecordWithSNUMTACProc",
                 {S(kVirtualReader), S(""), S("1003"),
                  L(static_cast<std::int32_t>(k252Record.size())), S(k252Record), S("123456"),
                  S("<CAPTION>Transfer</CAPTION>")})
                .AsLong();
        user_.whileOpen = nullptr;
        EXPECT_EQ(answer, 5123);
        EXPECT_EQ(Call(*other, "GetRespSNUM").AsBstr().IsNull(), true);
        EXPECT_EQ(Call(*other, "GetRespTAC").AsBstr().IsNull(), true);
        EXPECT_EQ(user_.boxes.size(), 1U);
        (void)sim::InsertCard(kVirtualReader);  // where the stage left it out

        // The page that stays goes on: connect, and a transfer confirmed.
        ASSERT_EQ(Call(*other, "ConnectCard", {S(kVirtualReader)}).AsLong(), 0);
        user_.answer = platform::kDialogOk;
        EXPECT_EQ(Call(*other, "WriteRecordWithSNUMTACProc",
                       {S(kVirtualReader), S(""), S("1003"),
                        L(static_cast<std::int32_t>(k252Record.size())), S(k252Record), S("123456"),
                        S("")})
                      .AsLong(),
                  0);
        EXPECT_FALSE(Call(*other, "GetRespSNUM").AsBstr().IsNull());
        other.reset();
        control_ = std::make_unique<CKestrovaCtrl>();
        control_->SetClientSite(&page_, &user_);
    }
}

TEST_F(TransactionMethodsTest, WithoutAConnectedCardEveryCommandFailsWithTheSlotError) {
    EXPECT_EQ(Transaction("WriteRecordWithSNUMTACProc", k252Record), 9);
    EXPECT_EQ(Long("FiscWriteRecordWithSNUMTAC", {S("1003"), L(1), S("41")}), 9);
    EXPECT_EQ(user_.windows, 0);
}

TEST_F(TransactionMethodsTest, Ex2OpensTheReaderItselfAndLeavesTheCurrentSlot) {
    EXPECT_EQ(Transaction("WriteRecordWithSNUMTACProcEx2", k252Record), 0);
    EXPECT_EQ(control_->CurrentSlot, 0);
    EXPECT_EQ(Text("GetRespSNUM"), "00000001");
    EXPECT_EQ(Long("GetRespLength"), 27);
    EXPECT_NE(Long("WriteRecordWithSNUMTACProcEx2", {S("No Such Reader"), S(""), S("1003"), L(80),
                                                     S(k252Record), S("123456"), S("")}),
              0);
    EXPECT_EQ(control_->CurrentSlot, 0);
}

TEST_F(TransactionMethodsTest, Ex2FromARefusedPageTouchesNoCard) {
    platform::StatedHostingPage refused(u"http://card.kestrova.example.com/card/pay");
    control_->SetClientSite(&refused, &user_);
    sim::ClearEvents();
    EXPECT_EQ(Transaction("WriteRecordWithSNUMTACProcEx2", k252Record), -1);
    EXPECT_EQ(user_.boxes,
              std::vector<std::string>{std::string(kIllegalAccessText) + "|" + kWarningCaption});
    EXPECT_EQ(sim::Events(), std::vector<std::string>{});
    EXPECT_EQ(user_.windows, 0);
    // The variant on CurrentSlot refuses silently, with no window.
    EXPECT_EQ(Transaction("WriteRecordWithSNUMTACProc", k252Record), -1);
    EXPECT_EQ(user_.boxes.size(), 1U);
    EXPECT_EQ(user_.windows, 0);
    EXPECT_EQ(sim::Events(), std::vector<std::string>{});
    control_->SetClientSite(&page_, &user_);
}

TEST_F(TransactionMethodsTest, TheSingleWriteCommand) {
    ASSERT_EQ(Long("ConnectCard", {S(kVirtualReader)}), 0);
    ASSERT_EQ(Long("FiscSelectAID"), 0);
    // The card writes only after a VERIFY.
    EXPECT_EQ(Long("FiscWriteRecordWithSNUMTAC", {S("1003"), L(1), S("41")}), 0x6982);
    EXPECT_EQ(Long("GetLastError"), 0x6982);
    ASSERT_EQ(Long("VerifyPIN", {S(kVirtualReader), S(""), S("123456")}), 0);
    EXPECT_EQ(Long("FiscWriteRecordWithSNUMTAC", {S("1003"), L(1), S("41")}), 0);
    EXPECT_EQ(Long("GetRespLength"), 27);
    EXPECT_EQ(Long("GetLastError"), 0);
    // The single command publishes no SNUM.
    EXPECT_EQ(Text("GetRespSNUM"), "<null>");
    const std::string longest(512, '4');
    EXPECT_EQ(Long("FiscWriteRecordWithSNUMTAC", {S("1003"), L(256), S(longest)}), 4098);
    EXPECT_EQ(Long("GetRespLength"), 0);
}

}  // namespace
}  // namespace kestrova
