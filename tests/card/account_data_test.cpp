// Reading the account files: which records are kept, in what order, and what
// a failed step leaves behind.

#include "card/account_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "card/card_result_codes.h"
#include "tests/card/scripted_card_fixture.h"

namespace kestrova {
namespace {

using testing::kCardSlot;
using testing::Record;
using testing::ScriptedCardTest;

const std::string kAccountA = "0040123456789012";
const std::string kAccountB = "0040987654321098";
const std::string kUnused = "0000000000000000";
const std::string kLongAccount = "004000123456789012345678";
const std::string kLongUnused(24, '0');

std::string RecordHeader(int recordNumber, std::size_t length) {
    return {static_cast<char>(recordNumber), static_cast<char>(length)};
}

// An account record as the card answers it: record number, length, text.
std::string AccountAnswer(int recordNumber, const std::string& text) {
    return Record(RecordHeader(recordNumber, text.size()) + text);
}

std::string ReadCommand(int recordNumber, int expectedLength) {
    char text[32];
    std::snprintf(text, sizeof text, "00B2%02X04%02X", recordNumber, expectedLength);
    return text;
}

// Files are read on T=0, where every read carries its Le.
class AccountDataTest : public ScriptedCardTest {
  protected:
    void SetUp() override {
        ScriptedCardTest::SetUp();
        InsertScriptedCard(sim::Protocol::kT0);
    }

    void ExpectSelection(const std::string& fileId) {
        Expect("00 A4 04 00 08 A0 00 00 01 72 95 00 01", "90 00");
        Expect("00 A4 02 00 02" + fileId, "90 00");
    }

    // EF1001 records 3-10 answered with these texts in order.
    void ExpectEf1001Records(const std::vector<std::string>& texts) {
        ExpectSelection("1001");
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const int recordNumber = 3 + static_cast<int>(i);
            Expect(ReadCommand(recordNumber, 18), AccountAnswer(recordNumber, texts[i]));
        }
    }

    AccountNumberList list_{};
    std::int32_t count_ = -1;
    std::string text_ = "stale";
};

TEST_F(AccountDataTest, ListsTheAccountsInRecordOrderAndSkipsUnusedSlots) {
    const std::vector<std::string> records = {kAccountA, kUnused, kAccountB, kUnused,
                                              kUnused,   kUnused, kUnused,   kUnused};
    ExpectEf1001Records(records);
    EXPECT_EQ(ReadAccountList(kCardSlot, kEf1001File, count_, list_), 0);
    EXPECT_EQ(count_, 2);
    EXPECT_EQ(list_[0], kAccountA);
    EXPECT_EQ(list_[1], kAccountB);
    EXPECT_EQ(list_[2], "");

    ExpectEf1001Records(records);
    EXPECT_EQ(ReadAccountString(kCardSlot, kEf1001File, text_), 0);
    EXPECT_EQ(text_, kAccountA + ";" + kAccountB + ";");
    ExpectAllExchanged();
}

// Offset 3 must be a digit, every character a letter or digit, and the
// record long enough: anything else is skipped without error.
TEST_F(AccountDataTest, TheListsSkipMalformedRecords) {
    ExpectSelection("1001");
    Expect(ReadCommand(3, 18), AccountAnswer(3, "0X40123456789012"));     // letter at offset 3
    Expect(ReadCommand(4, 18), AccountAnswer(4, "0040-23456789012"));     // hyphen
    Expect(ReadCommand(5, 18), AccountAnswer(5, "0040 23456789012"));     // space
    Expect(ReadCommand(6, 18), Record(RecordHeader(6, 8) + "00401234"));  // short record
    Expect(ReadCommand(7, 18), "90 00");                                  // no data at all
    Expect(ReadCommand(8, 18), AccountAnswer(8, kAccountB));
    Expect(ReadCommand(9, 18), AccountAnswer(9, "00abcdefghijklmn"));  // letters after offset 3
    Expect(ReadCommand(10, 18), AccountAnswer(10, kUnused));
    EXPECT_EQ(ReadAccountList(kCardSlot, kEf1001File, count_, list_), 0);
    EXPECT_EQ(count_, 2);
    EXPECT_EQ(list_[0], kAccountB);
    EXPECT_EQ(list_[1], "00abcdefghijklmn");
    ExpectAllExchanged();
}

TEST_F(AccountDataTest, AReadFailingMidListEndsItAndKeepsWhatWasFound) {
    list_.fill("old");
    ExpectSelection("1001");
    Expect(ReadCommand(3, 18), AccountAnswer(3, kAccountA));
    Expect(ReadCommand(4, 18), AccountAnswer(4, kUnused));
    Expect(ReadCommand(5, 18), AccountAnswer(5, kAccountB));
    Expect(ReadCommand(6, 18), "6A 83");
    EXPECT_EQ(ReadAccountList(kCardSlot, kEf1001File, count_, list_), kResultReadRecordFailed);
    EXPECT_EQ(count_, 2);
    EXPECT_EQ(list_[0], kAccountA);
    EXPECT_EQ(list_[1], kAccountB);
    EXPECT_EQ(list_[2], "old");

    ExpectSelection("1001");
    Expect(ReadCommand(3, 18), AccountAnswer(3, kAccountA));
    Expect(ReadCommand(4, 18), "6A 83");
    EXPECT_EQ(ReadAccountString(kCardSlot, kEf1001File, text_), kResultReadRecordFailed);
    EXPECT_EQ(text_, "stale");
    ExpectAllExchanged();
}

// The count is reset only once the file is selected.
TEST_F(AccountDataTest, FailedSelectionsHaveTheirOwnCodesAndKeepTheCount) {
    count_ = 5;
    Expect("00 A4 04 00 08 A0 00 00 01 72 95 00 01", "6A 82");
    EXPECT_EQ(ReadAccountList(kCardSlot, kEf1001File, count_, list_),
              kResultSelectApplicationFailed);
    Expect("00 A4 04 00 08 A0 00 00 01 72 95 00 01", "90 00");
    Expect("00 A4 02 00 02 10 02", "6A 82");
    EXPECT_EQ(ReadAccountList(kCardSlot, kEf1002File, count_, list_), kResultSelectFileFailed);
    EXPECT_EQ(count_, 5);
    ExpectAllExchanged();
}

TEST_F(AccountDataTest, Ef1002ListsRecordsOneToEightOf26Bytes) {
    ExpectSelection("1002");
    Expect(ReadCommand(1, 26), AccountAnswer(1, kLongAccount));
    for (int recordNumber = 2; recordNumber <= 8; ++recordNumber) {
        Expect(ReadCommand(recordNumber, 26), AccountAnswer(recordNumber, kLongUnused));
    }
    EXPECT_EQ(ReadAccountList(kCardSlot, kEf1002File, count_, list_), 0);
    EXPECT_EQ(count_, 1);
    EXPECT_EQ(list_[0], kLongAccount);

    ExpectSelection("1002");
    for (int recordNumber = 1; recordNumber <= 8; ++recordNumber) {
        Expect(ReadCommand(recordNumber, 26), AccountAnswer(recordNumber, kLongUnused));
    }
    EXPECT_EQ(ReadAccountString(kCardSlot, kEf1002File, text_), 0);
    EXPECT_EQ(text_, "");
    ExpectAllExchanged();
}

TEST_F(AccountDataTest, TheSingleReadMapsItsIndexToARecord) {
    EXPECT_EQ(ReadAccount(kCardSlot, kEf1001File, 9, text_), kResultNoAccount);
    EXPECT_EQ(ReadAccount(kCardSlot, kEf1001File, -1, text_), kResultNoAccount);
    EXPECT_EQ(CommandCount(), 0U);
    EXPECT_EQ(text_, "stale");

    const struct {
        const AccountFile& file;
        std::int32_t index;
        int recordNumber;
        std::string account;
    } cases[] = {{kEf1001File, 0, 3, kAccountA},
                 {kEf1001File, 8, 11, kAccountB},
                 {kEf1002File, 0, 1, kLongAccount},
                 {kEf1002File, 8, 9, kLongAccount}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.recordNumber);
        ExpectSelection(c.file.fileId[1] == 0x01 ? "1001" : "1002");
        Expect(ReadCommand(c.recordNumber, c.file.expectedRecordLength),
               AccountAnswer(c.recordNumber, c.account));
        EXPECT_EQ(ReadAccount(kCardSlot, c.file, c.index, text_), 0);
        EXPECT_EQ(text_, c.account);
    }
    ExpectAllExchanged();
}

// No offset-3 test here, but every character must be a letter or digit.
TEST_F(AccountDataTest, TheSingleReadJudgesTheRecordItself) {
    const struct {
        std::string answer;
        std::int32_t result;
        std::string text;
    } cases[] = {
        {AccountAnswer(3, "0X40123456789012"), 0, "0X40123456789012"},
        {AccountAnswer(3, "0040-23456789012"), -1, ""},
        {AccountAnswer(3, kUnused), kResultNoAccount, ""},
        {Record(RecordHeader(3, 15) + "004012345678901"), kResultNoAccount, ""},  // 17 bytes
        {"90 00", kResultNoAccount, ""},
        {"6A 83", kResultReadRecordFailed, "stale"},
        // More than the 18 bytes asked for: only the record's own bytes count.
        {Record(RecordHeader(3, 16) + kAccountA + "-- trailing --"), 0, kAccountA},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        text_ = "stale";
        ExpectSelection("1001");
        Expect(ReadCommand(3, 18), c.answer);
        EXPECT_EQ(ReadAccount(kCardSlot, kEf1001File, 0, text_), c.result);
        EXPECT_EQ(text_, c.text);
    }
    ExpectAllExchanged();
}

// 24 bytes pass the length test, but the number runs to offset 25: its
// missing characters read as zero.
TEST_F(AccountDataTest, AnEf1002RecordShortOfTheWholeNumberIsNotAnAccount) {
    ExpectSelection("1002");
    Expect(ReadCommand(1, 26), Record(RecordHeader(1, 23) + kLongAccount.substr(0, 23)));
    EXPECT_EQ(ReadAccount(kCardSlot, kEf1002File, 0, text_), -1);
    ExpectSelection("1002");
    Expect(ReadCommand(1, 26), Record(RecordHeader(1, 21) + kLongAccount.substr(0, 21)));
    EXPECT_EQ(ReadAccount(kCardSlot, kEf1002File, 0, text_), kResultNoAccount);
    ExpectAllExchanged();
}

}  // namespace
}  // namespace kestrova
