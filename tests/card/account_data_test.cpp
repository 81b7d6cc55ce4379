// Reading the account files and the card data record by record: the
// commands sent, which records count as accounts, the bytes taken from the
// answers, and what a failed step leaves behind. The account rules on the
// virtual card: tests/integration/card_methods_test.cpp.

#include "card/account_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "card/card_data.h"
#include "reader/result_codes.h"
#include "tests/card/scripted_card_fixture.h"

namespace kestrova {
namespace {

using testing::kCardSlot;
using testing::ScriptedCardTest;

constexpr char kSelectAid[] = "00 A4 04 00 08 A0 00 00 01 72 95 00 01";
const std::string kAccountA = "0040123456789012";
const std::string kAccountB = "0040987654321098";

// A record answer: record number, a length byte, the text, 90 00.
std::string RecordAnswer(int recordNumber, const std::string& text) {
    const std::string record =
        std::string{static_cast<char>(recordNumber), static_cast<char>(text.size())} + text;
    return sim::HexText(reinterpret_cast<const std::uint8_t*>(record.data()), record.size()) +
           "9000";
}

std::string ReadCommand(int recordNumber, int expectedLength) {
    char text[16];
    (void)std::snprintf(text, sizeof text, "00B2%02X04%02X", recordNumber, expectedLength);
    return text;
}

class AccountDataTest : public ScriptedCardTest {
  protected:
    void SetUp() override {
        ScriptedCardTest::SetUp();
        InsertScriptedCard(sim::Protocol::kT0);
        list_.fill("old");
    }

    void ExpectSelection(const char* fileId) {
        Expect(kSelectAid, "90 00");
        Expect(std::string("00 A4 02 00 02") + fileId, "90 00");
    }

    void ExpectEf1001Read(const std::string& readCommand, const std::string& answer) {
        ExpectSelection("1001");
        Expect(readCommand, answer);
    }

    AccountNumberList list_{};
    std::int32_t count_ = -1;
    std::string text_ = "stale";
};

// Kept: a response whose offset 3 is a digit and whose 16 characters are
// letters or digits, not all '0'. Entries beyond the count keep their text.
TEST_F(AccountDataTest, TheListReadsRecordsThreeToTenAndKeepsWellFormedAccounts) {
    ExpectSelection("1001");
    Expect(ReadCommand(3, 18), RecordAnswer(3, kAccountA));
    Expect(ReadCommand(4, 18), RecordAnswer(4, "00401234"));  // short record
    Expect(ReadCommand(5, 18), "90 00");                      // no data
    Expect(ReadCommand(6, 18), RecordAnswer(6, kAccountB + "-- more --"));
    Expect(ReadCommand(7, 18), RecordAnswer(7, "0X40123456789012"));  // letter at offset 3
    Expect(ReadCommand(8, 18), RecordAnswer(8, "0000000000000000"));
    Expect(ReadCommand(9, 18), RecordAnswer(9, "00abcdefghijklmn"));
    Expect(ReadCommand(10, 18), RecordAnswer(10, "0040-23456789012"));
    EXPECT_EQ(ReadAccountList(kCardSlot, kEf1001File, count_, list_), 0);
    EXPECT_EQ(count_, 3);
    EXPECT_EQ(list_[0], kAccountA);
    EXPECT_EQ(list_[1], kAccountB);
    EXPECT_EQ(list_[2], "00abcdefghijklmn");
    EXPECT_EQ(list_[3], "old");
    ExpectAllExchanged();
}

// The card's status word is never the result; the count is reset only once
// the file is selected, and a read failing mid-list keeps what came before.
TEST_F(AccountDataTest, FailedStepsHaveTheirOwnCodes) {
    count_ = 5;
    Expect(kSelectAid, "6A 82");
    EXPECT_EQ(ReadAccountList(kCardSlot, kEf1001File, count_, list_),
              kResultSelectApplicationFailed);
    Expect(kSelectAid, "90 00");
    Expect("00 A4 02 00 02 10 02", "6A 82");
    EXPECT_EQ(ReadAccountList(kCardSlot, kEf1002File, count_, list_), kResultSelectFileFailed);
    EXPECT_EQ(count_, 5);

    ExpectSelection("1002");
    Expect(ReadCommand(1, 26), RecordAnswer(1, "004000123456789012345678"));
    Expect(ReadCommand(2, 26), "6A 83");
    EXPECT_EQ(ReadAccountList(kCardSlot, kEf1002File, count_, list_), kResultReadRecordFailed);
    EXPECT_EQ(count_, 1);
    EXPECT_EQ(list_[0], "004000123456789012345678");

    ExpectSelection("1001");
    Expect(ReadCommand(3, 18), "6A 83");
    EXPECT_EQ(ReadAccountString(kCardSlot, kEf1001File, text_), kResultReadRecordFailed);
    EXPECT_EQ(text_, "stale");
    ExpectAllExchanged();
}

// No offset-3 test, but every character must be a letter or digit; an index
// outside 0..8 is refused before any command.
TEST_F(AccountDataTest, TheSingleReadMapsItsIndexAndJudgesTheRecord) {
    EXPECT_EQ(ReadAccount(kCardSlot, kEf1001File, 9, text_), kResultNoAccount);
    EXPECT_EQ(ReadAccount(kCardSlot, kEf1002File, -1, text_), kResultNoAccount);
    EXPECT_EQ(CommandCount(), 0U);

    const std::string longAccount = "004000123456789012345678";
    const struct {
        const AccountFile& file;
        std::int32_t index;
        std::int32_t result;
        std::string answer;
        std::string text;
    } cases[] = {
        {kEf1001File, 0, 0, RecordAnswer(3, "0X40123456789012"), "0X40123456789012"},
        {kEf1001File, 8, 0, RecordAnswer(11, kAccountB + "-- more --"), kAccountB},
        {kEf1002File, 0, 0, RecordAnswer(1, longAccount), longAccount},
        {kEf1002File, 8, 0, RecordAnswer(9, longAccount), longAccount},
        {kEf1001File, 0, -1, RecordAnswer(3, "0040-23456789012"), ""},
        {kEf1001File, 0, kResultNoAccount, RecordAnswer(3, "0000000000000000"), ""},
        {kEf1001File, 0, kResultNoAccount, RecordAnswer(3, "004012345678901"), ""},
        {kEf1001File, 0, kResultNoAccount, "90 00", ""},
        {kEf1001File, 0, kResultReadRecordFailed, "6A 83", "stale"},
        // 24 bytes pass the length test, but the number runs to offset 25:
        // its missing characters read as zero.
        {kEf1002File, 0, -1, RecordAnswer(1, longAccount.substr(0, 22)), ""},
        {kEf1002File, 0, kResultNoAccount, RecordAnswer(1, longAccount.substr(0, 21)), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        const bool ef1001 = c.file.fileId[1] == 0x01;
        ExpectSelection(ef1001 ? "1001" : "1002");
        Expect(ReadCommand(c.file.firstAccountRecord + c.index, c.file.expectedRecordLength),
               c.answer);
        text_ = "stale";
        EXPECT_EQ(ReadAccount(kCardSlot, c.file, c.index, text_), c.result);
        EXPECT_EQ(text_, c.text);
    }
    ExpectAllExchanged();
}

TEST_F(AccountDataTest, IssuerAndRemarkComeFromRecordsOneAndTwo) {
    IssuerBankBytes issuer{};
    ExpectEf1001Read("00 B2 01 04 0A", "0108 3030343030303132 9000");
    EXPECT_EQ(ReadIssuerBank(kCardSlot, issuer), 0);
    EXPECT_EQ(std::string(issuer.begin(), issuer.end()), "00400012");
    // Unchecked: bytes the card did not send are zero.
    ExpectEf1001Read("00 B2 01 04 0A", "0104 41424344 9000");
    EXPECT_EQ(ReadIssuerBank(kCardSlot, issuer), 0);
    EXPECT_EQ(std::string(issuer.begin(), issuer.end()), std::string("ABCD\0\0\0\0", 8));

    const std::string thirty = "0102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E";
    ExpectEf1001Read("00 B2 02 04 20", "021E" + thirty + "9000");
    EXPECT_EQ(ReadIccRemark(kCardSlot, text_), 0);
    EXPECT_EQ(text_, thirty);
    ExpectEf1001Read("00 B2 02 04 20", "0200 9000");
    EXPECT_EQ(ReadIccRemark(kCardSlot, text_), 0);
    EXPECT_EQ(text_, "");
    // More than the 32 bytes asked for: the remark stays within the record.
    ExpectEf1001Read("00 B2 02 04 20", "021E" + thirty + "FFFFFFFF 9000");
    EXPECT_EQ(ReadIccRemark(kCardSlot, text_), 0);
    EXPECT_EQ(text_, thirty);
    ExpectAllExchanged();
}

TEST_F(AccountDataTest, TheSerialIsTheFirstEightBytesOfTheApplicationsData) {
    Expect(kSelectAid, "90 00");
    Expect("00 B0 00 00 10", "8886000012345678 2812310000000000 9000");
    EXPECT_EQ(ReadCardSerial(kCardSlot, text_), 0);
    EXPECT_EQ(text_, "8886000012345678");
    Expect(kSelectAid, "90 00");
    Expect("00 B0 00 00 10", "01020304 9000");
    EXPECT_EQ(ReadCardSerial(kCardSlot, text_), 0);
    EXPECT_EQ(text_, "0102030400000000");
    ExpectAllExchanged();
}

TEST_F(AccountDataTest, EachFailedStepHasItsOwnCode) {
    IssuerBankBytes issuer{};
    ExpectEf1001Read("00 B2 01 04 0A", "6A 83");
    EXPECT_EQ(ReadIssuerBank(kCardSlot, issuer), kResultReadRecordFailed);
    Expect(kSelectAid, "6A 82");
    EXPECT_EQ(ReadCardSerial(kCardSlot, text_), kResultSelectApplicationFailed);
    Expect(kSelectAid, "90 00");
    Expect("00 B0 00 00 10", "69 86");
    EXPECT_EQ(ReadCardSerial(kCardSlot, text_), kResultReadSerialFailed);
    Expect(kSelectAid, "90 00");
    Expect("00 A4 02 00 02 10 01", "6A 82");
    EXPECT_EQ(ReadIccRemark(kCardSlot, text_), kResultSelectFileFailed);
    EXPECT_EQ(text_, "stale");
    ExpectAllExchanged();
}

}  // namespace
}  // namespace kestrova
