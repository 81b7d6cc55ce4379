// The transaction flow on scripted cards: the commands each reader kind
// gets, the window's rows, the verify-and-write-again rule and its bound,
// what is published and what a refused confirmation withholds.

#include "txn/authorise_transaction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "reader/result_codes.h"
#include "card/hex.h"
#include "platform/modal_dialog.h"
#include "reader/result_codes.h"
#include "tests/card/scripted_card_fixture.h"
#include "tests/txn/window_answering_user_interface.h"
#include "reader/result_codes.h"
#include "txn/transaction_texts.h"

namespace kestrova {
namespace {

using testing::kCardSlot;
using testing::ScriptedCardTest;
using testing::WindowAnsweringUserInterface;
using Rows = std::vector<std::string>;

constexpr char kPlain[] = "Reader A";
constexpr char kPinPadC[] = "Todos eCode Connectable 0";

constexpr char kSelectApplication[] = "00 A4 04 00 08 A0 00 00 01 72 95 00 01 00";
constexpr char kOk[] = "90 00";
// Length, SNUM "00000042", file 10 03, TAC 1122334455667788, serial.
constexpr char kAnswer27[] = "50 3030303030303432 1003 1122334455667788 8886000012345678 ";
constexpr char kAnswer27Hex[] = "503030303030303432100311223344556677888886000012345678";

// A transfer: code 252, amount 1234.56, payee account at 48, bank at 64.
const std::string k252Record = std::string("2520") + "00000000123456" + std::string(30, 'x') +
                               "PAYEE-ACCOUNT-01" + "BANK-NAME-TEXT-1";

std::string HexOf(const std::string& text) {
    std::string hex(2 * text.size(), '\0');
    HexEncode(static_cast<std::int32_t>(text.size()),
              reinterpret_cast<const std::uint8_t*>(text.data()), hex.data());
    return hex;
}

std::string WriteCommand(const std::string& record) {
    const std::string length(1, static_cast<char>(record.size()));
    return "00 E2 10 03 " + HexOf(length) + HexOf(record) + "00";
}

std::string VerifyCommand(const std::string& block) {
    return "00 20 00 10 08 " + block;
}

class AuthoriseTransactionTest : public ScriptedCardTest {
  protected:
    void Insert(const std::string& readerName) {
        InsertScriptedCard(sim::Protocol::kT1, readerName);
    }

    std::int32_t Run(const char* readerName, const char* password,
                     const std::string& record = k252Record, std::int32_t slot = kCardSlot) {
        return Run(readerName, password, record.c_str(), static_cast<std::int32_t>(record.size()),
                   slot);
    }

    std::int32_t Run(const char* readerName, const char* password, const char* data,
                     std::int32_t dataLength, std::int32_t slot = kCardSlot) {
        const TransactionRequest request{readerName, "ignored", "1003",  dataLength,
                                         data,       password,  kMessage};
        return AuthoriseTransaction(request, slot, fields_, ui_);
    }

    // The answer of a successful write, then the reads that publish.
    void ExpectWriteAndPublish(const std::string& record = k252Record) {
        Expect(WriteCommand(record), std::string(kAnswer27) + kOk);
    }
    void ExpectInformation() {
        Expect(kSelectApplication, kOk);
        Expect("00 A4 02 00 02 10 01", kOk);
        Expect("00 B2 01 04 0A", "0108 3030343030303132 9000");
        Expect("00 B2 02 04 20", "0203 0A0B0C 9000");
        Expect("00 B2 03 04 12", "0310 30303430313233343536373839303132 9000");
    }

    // What the getters would show; stale values first, so that a field the
    // flow leaves alone shows "old".
    std::string Published() const {
        return std::to_string(lastError_) + " " + std::to_string(lastResultCode_) + " " +
               std::to_string(respLength_) + " " + respData_ + " | " + snum_ + " " + tac_ + " | " +
               issuer_ + " " + remark_ + " " + account_;
    }
    static std::string Untouched() { return "11 22 33 old | old old | old old old"; }
    static std::string Confirmed() {
        return std::string("0 0 27 ") + kAnswer27Hex +
               " | 00000042 1122334455667788 | 00400012 0A0B0C 0040123456789012";
    }

    static constexpr char kMessage[] = "<CAPTION>Pay</CAPTION>";

    WindowAnsweringUserInterface ui_;
    std::int32_t lastError_ = 11;
    std::int32_t lastResultCode_ = 22;
    std::int32_t respLength_ = 33;
    std::string respData_ = "old";
    std::string snum_ = "old";
    std::string tac_ = "old";
    std::string issuer_ = "old";
    std::string remark_ = "old";
    std::string account_ = "old";
    TransactionFields fields_{{lastError_, lastResultCode_, respLength_, respData_},
                              snum_,
                              tac_,
                              issuer_,
                              remark_,
                              account_};
};

TEST_F(AuthoriseTransactionTest, PlainReaderVerifiesWritesAndPublishesOnceConfirmed) {
    Insert(kPlain);
    Expect(kSelectApplication, kOk);
    Expect(VerifyCommand("123456FFFFFFFFFF"), kOk);
    ExpectWriteAndPublish();
    ExpectInformation();
    std::string snumWhileShown;
    std::size_t commandsBeforeWindow = 0;
    ui_.whileShown = [&] {
        snumWhileShown = snum_;
        commandsBeforeWindow = CommandCount();
    };
    EXPECT_EQ(Run(kPlain, "123456"), 0);
    ASSERT_EQ(ui_.windows.size(), 1U);
    EXPECT_EQ(ui_.windows[0].rows, (Rows{"BANK-NAME-TEXT-1", "PAYEE-ACCOUNT-01", "1234.56"}));
    EXPECT_EQ(ui_.windows[0].slot, kCardSlot);
    EXPECT_EQ(ui_.windows[0].message, kMessage);
    // The card has written when the window shows, but nothing is published.
    EXPECT_EQ(commandsBeforeWindow, 3U);
    EXPECT_EQ(snumWhileShown, "old");
    EXPECT_EQ(Published(), Confirmed());
    EXPECT_TRUE(ui_.boxes.empty());
    ExpectAllExchanged();
}

// Keypad readers collect the PIN themselves: the page's PIN is neither
// checked nor sent, no window is shown, and a refused write is final.
class KeypadReaderTest : public AuthoriseTransactionTest,
                         public ::testing::WithParamInterface<const char*> {};

TEST_P(KeypadReaderTest, NoPinNoWindowNoSecondWrite) {
    Insert(GetParam());
    Expect(kSelectApplication, kOk);
    Expect(WriteCommand(k252Record), "66 10");
    EXPECT_EQ(Run(GetParam(), "12345"), 0x6610);
    EXPECT_EQ(Published(), std::to_string(0x6610) + " 0 0  | old old | old old old");

    Expect(kSelectApplication, kOk);
    ExpectWriteAndPublish();
    ExpectInformation();
    EXPECT_EQ(Run(GetParam(), "12345"), 0);
    EXPECT_EQ(Published(), Confirmed());
    EXPECT_TRUE(ui_.windows.empty());
    ExpectAllExchanged();
}

INSTANTIATE_TEST_SUITE_P(PinPadAAndB, KeypadReaderTest,
                         ::testing::Values("todos ecode connectable ii 1", "ACS APG8201 Z",
                                           "ACS ACR83U 0"));

// "Todos eCode Connectable": no PIN before the write, the window, and one
// more VERIFY and write when the card answers 66 10.
TEST_F(AuthoriseTransactionTest, PinPadCVerifiesAgainOnlyAfter6610) {
    Insert(kPinPadC);
    Expect(kSelectApplication, kOk);
    Expect(WriteCommand(k252Record), "66 10");
    Expect(VerifyCommand("654321FFFFFFFFFF"), kOk);
    ExpectWriteAndPublish();
    ExpectInformation();
    EXPECT_EQ(Run(kPinPadC, "654321"), 0);
    EXPECT_EQ(ui_.windows.size(), 1U);
    EXPECT_EQ(Published(), Confirmed());

    // Without a PIN the block is all FF; a second 66 10 is the result.
    Expect(kSelectApplication, kOk);
    Expect(WriteCommand(k252Record), "66 10");
    Expect(VerifyCommand("FFFFFFFFFFFFFFFF"), kOk);
    Expect(WriteCommand(k252Record), "66 10");
    EXPECT_EQ(Run(kPinPadC, nullptr), 0x6610);

    // Any other refusal is final.
    Expect(kSelectApplication, kOk);
    Expect(WriteCommand(k252Record), "69 82");
    EXPECT_EQ(Run(kPinPadC, "654321"), 0x6982);
    EXPECT_EQ(ui_.windows.size(), 1U);
    ExpectAllExchanged();
}

// The PIN is looked at only when the write must be repeated, and then must
// be 6 to 12 digits.
TEST_F(AuthoriseTransactionTest, PinPadCChecksThePinOnlyBeforeWritingAgain) {
    Insert(kPinPadC);
    Expect(kSelectApplication, kOk);
    Expect(WriteCommand(k252Record), "66 10");
    EXPECT_EQ(Run(kPinPadC, "12345"), kResultWrongLength);
    Expect(kSelectApplication, kOk);
    Expect(WriteCommand(k252Record), "66 10");
    EXPECT_EQ(Run(kPinPadC, "12345A"), kResultNotDigit);
    ExpectAllExchanged();
}

// On an ordinary reader any refused write gets one more VERIFY and write;
// a second refusal is returned, not retried again.
TEST_F(AuthoriseTransactionTest, PlainReaderWritesAgainOnceAfterAnyFailure) {
    Insert(kPlain);
    Expect(kSelectApplication, kOk);
    Expect(VerifyCommand("123456FFFFFFFFFF"), kOk);
    Expect(WriteCommand(k252Record), "69 82");
    Expect(VerifyCommand("123456FFFFFFFFFF"), kOk);
    ExpectWriteAndPublish();
    ExpectInformation();
    EXPECT_EQ(Run(kPlain, "123456"), 0);
    EXPECT_EQ(Published(), Confirmed());

    Expect(kSelectApplication, kOk);
    Expect(VerifyCommand("123456FFFFFFFFFF"), kOk);
    Expect(WriteCommand(k252Record), "69 82");
    Expect(VerifyCommand("123456FFFFFFFFFF"), kOk);
    Expect(WriteCommand(k252Record), "6A 80");
    EXPECT_EQ(Run(kPlain, "123456"), 0x6A80);
    EXPECT_EQ(lastError_, 0x6A80);

    // A VERIFY refused on the way ends the flow with the card's word.
    Expect(kSelectApplication, kOk);
    Expect(WriteCommand(k252Record), "6A 80");
    Expect(VerifyCommand("FFFFFFFFFFFFFFFF"), "63 C2");
    EXPECT_EQ(Run(kPlain, ""), 0x63C2);
    EXPECT_EQ(ui_.windows.size(), 1U);
    ExpectAllExchanged();
}

TEST_F(AuthoriseTransactionTest, PlainReaderChecksThePinBeforeWriting) {
    Insert(kPlain);
    Expect(kSelectApplication, kOk);
    EXPECT_EQ(Run(kPlain, "12345"), kResultPinLengthBeforeWrite);
    Expect(kSelectApplication, kOk);
    EXPECT_EQ(Run(kPlain, "1234567890123"), kResultPinLengthBeforeWrite);
    Expect(kSelectApplication, kOk);
    EXPECT_EQ(Run(kPlain, "12-456"), kResultPinNotPackable);
    // A letter packs before the write, but is refused before writing again.
    Expect(kSelectApplication, kOk);
    Expect(VerifyCommand("12345AFFFFFFFFFF"), kOk);
    Expect(WriteCommand(k252Record), "69 82");
    EXPECT_EQ(Run(kPlain, "12345A"), kResultNotDigit);
    // A refused VERIFY before the write is final.
    Expect(kSelectApplication, kOk);
    Expect(VerifyCommand("1234567FFFFFFFFF"), "63 C1");
    EXPECT_EQ(Run(kPlain, "1234567"), 0x63C1);
    EXPECT_TRUE(ui_.windows.empty());
    ExpectAllExchanged();
    // Only the write files results.
    EXPECT_EQ(Published(), std::to_string(0x6982) + " 0 0  | old old | old old old");
}

TEST_F(AuthoriseTransactionTest, NoReaderNameNoKind) {
    Insert(kPlain);
    Expect(kSelectApplication, kOk);
    EXPECT_EQ(Run("", "123456"), kResultNoReaderKind);
    Expect(kSelectApplication, kOk);
    EXPECT_EQ(Run(nullptr, "123456"), kResultNoReaderKind);
    ExpectAllExchanged();
    EXPECT_EQ(Published(), Untouched());
}

// The record must lie within the data and the 159 bytes the flow carries,
// and hold the fields its window shows; otherwise nothing but the first
// SELECT reaches the card.
TEST_F(AuthoriseTransactionTest, RecordsThatCannotBeWrittenOrShownAreRefused) {
    Insert(kPlain);
    const std::string longest = "999" + std::string(156, '9');
    Expect(kSelectApplication, kOk);
    EXPECT_EQ(Run(kPlain, "", (longest + "9").c_str(), 160), kResultWrongLength);
    Expect(kSelectApplication, kOk);
    EXPECT_EQ(Run(kPlain, "", "999", -1), kResultWrongLength);
    Expect(kSelectApplication, kOk);
    EXPECT_EQ(Run(kPlain, "", "999", 4), kResultWrongLength);
    Expect(kSelectApplication, kOk);
    EXPECT_EQ(Run(kPlain, "", nullptr, 1), kResultWrongLength);
    Expect(kSelectApplication, kOk);
    EXPECT_EQ(Run(kPlain, "123456", k252Record.substr(0, 79)), kResultWrongLength);
    ExpectAllExchanged();
    EXPECT_EQ(Published(), Untouched());

    // 159 bytes go; the record is what DataLen says, not the whole text.
    Expect(kSelectApplication, kOk);
    Expect(WriteCommand(longest), std::string(kAnswer27) + kOk);
    ExpectInformation();
    EXPECT_EQ(Run(kPlain, "", (longest + "tail").c_str(), 159), 0);
    ExpectAllExchanged();
}

// A keypad reader shows no window, so a "252" record too short for its rows
// is written.
TEST_F(AuthoriseTransactionTest, RowFieldsAreCheckedOnlyWhereAWindowIsShown) {
    Insert("ACS ACR83U");
    Expect(kSelectApplication, kOk);
    ExpectWriteAndPublish(k252Record.substr(0, 79));
    ExpectInformation();
    EXPECT_EQ(Run("ACS ACR83U", "", k252Record.substr(0, 79)), 0);
    EXPECT_TRUE(ui_.windows.empty());
    ExpectAllExchanged();
}

TEST_F(AuthoriseTransactionTest, ARecordOutsideTheTableNeedsNoWindow) {
    Insert(kPlain);
    const std::string record = "999 00000000123456";
    Expect(kSelectApplication, kOk);
    ExpectWriteAndPublish(record);
    ExpectInformation();
    ui_.answer = platform::kDialogCancel;  // never asked
    EXPECT_EQ(Run(kPlain, nullptr, record), 0);
    EXPECT_TRUE(ui_.windows.empty());
    EXPECT_EQ(Published(), Confirmed());
    ExpectAllExchanged();
}

TEST_F(AuthoriseTransactionTest, OneRowForFx01) {
    Insert(kPinPadC);
    const std::string record = "FX01" + std::string("00000000012345");
    Expect(kSelectApplication, kOk);
    ExpectWriteAndPublish(record);
    ExpectInformation();
    EXPECT_EQ(Run(kPinPadC, nullptr, record), 0);
    ASSERT_EQ(ui_.windows.size(), 1U);
    EXPECT_EQ(ui_.windows[0].rows, Rows{"123.45"});
}

// A refused confirmation: one box, the card reset and opened again, and
// nothing of the write's answer left for the page.
TEST_F(AuthoriseTransactionTest, CancelledConfirmationPublishesNothing) {
    Insert(kPlain);
    Expect(kSelectApplication, kOk);
    Expect(VerifyCommand("123456FFFFFFFFFF"), kOk);
    ExpectWriteAndPublish();
    ui_.answer = platform::kDialogCancel;
    const int resetsBefore = card_->ResetCount();
    StartLog();
    EXPECT_EQ(Run(kPlain, "123456"), kResultTransactionCancelled);
    EXPECT_EQ(Published(), "0 0 0  | old old | old old old");
    ASSERT_EQ(ui_.boxes.size(), 1U);
    EXPECT_EQ(ui_.boxes[0].text, kTransactionCancelledText);
    EXPECT_EQ(ui_.boxes[0].caption, "Kestrova");
    // Released with a reset, then connected again.
    EXPECT_GT(card_->ResetCount(), resetsBefore);
    const std::vector<std::string> events = sim::Events();
    const auto reset = std::find_if(events.begin(), events.end(), [](const std::string& event) {
        return Contains(event, "SCardDisconnect") && Contains(event, "SCARD_RESET_CARD");
    });
    ASSERT_NE(reset, events.end());
    EXPECT_NE(
        std::find_if(reset, events.end(),
                     [](const std::string& event) { return Contains(event, "SCardConnect"); }),
        events.end());
    ExpectAllExchanged();  // no SELECT and no reads after the window
    EXPECT_EQ(CommandCount(), 3U);
}

TEST_F(AuthoriseTransactionTest, NoCardConnectedGivesTheSlotErrorOnEveryReaderKind) {
    Insert(kPlain);
    for (const char* reader : {kPlain, "Todos eCode Connectable II", "ACS ACR83U", kPinPadC}) {
        EXPECT_EQ(Run(reader, "123456", k252Record, 0), kResultBadSlot) << reader;
    }
    EXPECT_EQ(CommandCount(), 0U);
    EXPECT_TRUE(ui_.windows.empty());
}

// A longer answer than the usual 27 bytes is kept whole; SNUM and TAC come
// from their own bytes.
TEST_F(AuthoriseTransactionTest, AThirtyFiveByteAnswer) {
    Insert(kPlain);
    const std::string answer35 =
        "23 3132333435363738 AAAA 0102030405060708 " + std::string(32, 'E');
    Expect(kSelectApplication, kOk);
    Expect(WriteCommand(k252Record), answer35 + kOk);
    ExpectInformation();
    EXPECT_EQ(Run(kPlain, nullptr), 0);
    EXPECT_EQ(respLength_, 35);
    EXPECT_EQ(respData_.size(), 70U);
    EXPECT_EQ(snum_, "12345678");
    EXPECT_EQ(tac_, "0102030405060708");
    EXPECT_EQ(tac_, respData_.substr(22, 16));
    ExpectAllExchanged();
}

// 90 00 alone: no bytes, so no SNUM and TAC, and nothing that stands for
// 256 bytes the card never sent.
TEST_F(AuthoriseTransactionTest, AnAnswerWithoutData) {
    Insert(kPlain);
    Expect(kSelectApplication, kOk);
    Expect(WriteCommand(k252Record), kOk);
    ExpectInformation();
    EXPECT_EQ(Run(kPlain, nullptr), 0);
    EXPECT_EQ(Published(), "0 0 0  |   | 00400012 0A0B0C 0040123456789012");
    ExpectAllExchanged();
}

// The information read comes after publishing: its failure is the result,
// with SNUM and TAC already there.
TEST_F(AuthoriseTransactionTest, AFailedInformationReadIsTheResult) {
    Insert(kPlain);
    Expect(kSelectApplication, kOk);
    ExpectWriteAndPublish();
    Expect(kSelectApplication, "6A 82");  // not looked at
    Expect("00 A4 02 00 02 10 01", "6A 82");
    EXPECT_EQ(Run(kPlain, nullptr), 0x6A82);
    EXPECT_EQ(snum_, "00000042");
    EXPECT_EQ(tac_, "1122334455667788");
    EXPECT_EQ(issuer_ + remark_ + account_, "");
    ExpectAllExchanged();
}

TEST_F(AuthoriseTransactionTest, OwnSlotOpensTheNamedReadersCard) {
    InsertScriptedCard(sim::Protocol::kT1, kPlain, false);
    Expect(kSelectApplication, kOk);
    ExpectWriteAndPublish();
    ExpectInformation();
    const TransactionRequest request{kPlain,  nullptr, "1003", 80, k252Record.c_str(),
                                     nullptr, kMessage};
    EXPECT_EQ(AuthoriseTransactionInOwnSlot(request, fields_, ui_), 0);
    ASSERT_EQ(ui_.windows.size(), 1U);
    EXPECT_EQ(ui_.windows[0].slot, kCardSlot);
    EXPECT_EQ(Published(), Confirmed());
    ExpectAllExchanged();

    // A reader that cannot be opened: its code, and no command.
    const TransactionRequest elsewhere{"Nowhere",          nullptr, "1003",  80,
                                       k252Record.c_str(), nullptr, kMessage};
    const std::int32_t result = AuthoriseTransactionInOwnSlot(elsewhere, fields_, ui_);
    EXPECT_NE(result, 0);
    EXPECT_NE(result, kResultTransactionCancelled);
    EXPECT_EQ(ui_.windows.size(), 1U);
}

}  // namespace
}  // namespace kestrova
