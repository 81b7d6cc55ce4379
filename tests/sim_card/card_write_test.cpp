// The write command 00 E2 and its answer: record length, SNUM, file
// identifier, TAC and serial number.

#include <gtest/gtest.h>

#include <string>

#include "sim/card/transaction_authorisation.h"
#include "tests/sim_card/card_test_support.h"

namespace kestrova::sim_card_test {
namespace {

using sim::FinancialCard;
using sim::Protocol;

// "Now is the time " under the sample key: the two-key triple-DES CBC-MAC
// of these 16 bytes from a zero chaining block.
const std::string kRecord = Hex("Now is the time ");
const std::string kRecordTac = "319E5E68C3E8891B";
const std::string kSerial = "1122334455667788";

std::string WriteCommand(const std::string& recordHex, const char* fileId = "1003") {
    const std::size_t length = recordHex.size() / 2;
    const char digits[] = "0123456789ABCDEF";
    return std::string("00E2") + fileId + digits[length / 16] + digits[length % 16] + recordHex;
}

std::string ExpectedAnswer(const std::string& snumDigits, const std::string& tac,
                           const char* lengthHex = "10", const char* fileId = "1003") {
    return lengthHex + Hex(snumDigits) + fileId + tac + kSerial;
}

TEST(WriteOnT0, AnswersThroughGetResponseWithSnumAndTac) {
    FinancialCard card(SampleContent(Protocol::kT0));
    SelectApplication(card);
    VerifyPin(card);
    EXPECT_EQ(Send(card, WriteCommand(kRecord)), "611B");
    EXPECT_EQ(Send(card, "00C000001B"), ExpectedAnswer("00000041", kRecordTac) + "9000");
    EXPECT_EQ(Send(card, WriteCommand(kRecord)), "611B");
    EXPECT_EQ(Send(card, "00C000001B"), ExpectedAnswer("00000042", kRecordTac) + "9000")
        << "the SNUM grows by one per write";
    EXPECT_EQ(card.NextSnum(), 43U);
}

TEST(WriteOnT1, AnswersAtOnceAndRefusesAShortLeBeforeWriting) {
    FinancialCard card(SampleContent(Protocol::kT1));
    SelectApplication(card);
    VerifyPin(card);
    EXPECT_EQ(Send(card, WriteCommand(kRecord) + "10"), "6C1B");
    EXPECT_EQ(card.NextSnum(), 41U) << "nothing written";
    EXPECT_TRUE(card.TransactionRecords(0x1003).empty());
    EXPECT_EQ(Send(card, WriteCommand(kRecord) + "00"),
              ExpectedAnswer("00000041", kRecordTac) + "9000");
    // Without Le the answer still comes: the SNUM and TAC would be lost
    // otherwise.
    EXPECT_EQ(Send(card, WriteCommand(kRecord)), ExpectedAnswer("00000042", kRecordTac) + "9000");
}

TEST(WriteTac, IsTheMacOfTheRecordPaddedWithZeroBytes) {
    FinancialCard card(SampleContent(Protocol::kT1));
    SelectApplication(card);
    VerifyPin(card);
    // 12 bytes: the MAC of "Now is the t" and four zero bytes.
    const std::string shortRecord = Hex("Now is the t");
    const auto tac = sim::ComputeTac(sim::HexBytes("0123456789ABCDEF FEDCBA9876543210"),
                                     sim::HexBytes(shortRecord + "00000000"));
    ASSERT_TRUE(tac.has_value());
    EXPECT_EQ(Send(card, WriteCommand(shortRecord)),
              ExpectedAnswer("00000041", sim::HexText(tac->data(), tac->size()), "0C") + "9000");
}

TEST(WriteTac, FollowsTheKeyOfTheCard) {
    sim::CardContent content = SampleContent(Protocol::kT1);
    content.key = sim::HexBytes("0123456789ABCDEF 23456789ABCDEF01 456789ABCDEF0123");
    FinancialCard card(content);
    SelectApplication(card);
    VerifyPin(card);
    // One block under a three-key triple DES key: its encryption (the first
    // block of the known-answer example for this key).
    const std::string block = "5468652071756663";
    EXPECT_EQ(Send(card, WriteCommand(block)),
              ExpectedAnswer("00000041", "A826FD8CE53B855F", "08") + "9000");
}

TEST(WriteRefusals, NeedTheApplicationATransactionFileAVerifiedPinAndData) {
    for (const Protocol protocol : {Protocol::kT0, Protocol::kT1}) {
        FinancialCard card(SampleContent(protocol));
        EXPECT_EQ(Send(card, WriteCommand(kRecord)), "6A82") << "no application";
        SelectApplication(card);
        EXPECT_EQ(Send(card, WriteCommand(kRecord)), "6982") << "no VERIFY";
        VerifyPin(card);
        EXPECT_EQ(Send(card, WriteCommand(kRecord, "1004")), "6A82");
        EXPECT_EQ(Send(card, WriteCommand(kRecord, "1001")), "6981");
        EXPECT_EQ(Send(card, WriteCommand(kRecord, "00C2")), "6981");
        EXPECT_EQ(Send(card, "00E21003"), "6700");
        EXPECT_EQ(card.NextSnum(), 41U);
    }
}

TEST(WriteSnum, RunsOutAfterTheLastEightDigitNumber) {
    sim::CardContent content = SampleContent(Protocol::kT1);
    content.snumStart = 99999999;
    FinancialCard card(content);
    SelectApplication(card);
    VerifyPin(card);
    EXPECT_EQ(Send(card, WriteCommand(kRecord)), ExpectedAnswer("99999999", kRecordTac) + "9000");
    EXPECT_EQ(Send(card, WriteCommand(kRecord)), "6A84");
}

TEST(WriteLog, KeepsTheLastRecordsNewestFirstReadableByRecordNumber) {
    FinancialCard card(SampleContent(Protocol::kT1));
    SelectApplication(card);
    VerifyPin(card);
    for (int i = 0; i < 20; ++i) {
        const std::string record = Hex("record " + std::to_string(i));
        ASSERT_EQ(Send(card, WriteCommand(record)).substr(0, 2), record.size() == 16 ? "08" : "09");
    }
    const auto records = card.TransactionRecords(0x1003);
    ASSERT_EQ(records.size(), sim::kTransactionLogCapacity);
    EXPECT_EQ(sim::HexText(records.front()), Hex("record 19"));
    EXPECT_EQ(sim::HexText(records.back()), Hex("record 4"));
    ASSERT_EQ(Send(card, "00A4020002100310"), "620B82020621830210038A01059000");
    EXPECT_EQ(Send(card, "00B2010400"), Hex("record 19") + "9000");
    EXPECT_EQ(Send(card, "00B2100400"), Hex("record 4") + "9000");
    EXPECT_EQ(Send(card, "00B2110400"), "6A83");
}

TEST(WriteFiles, AreTheOnesTheContentNames) {
    sim::CardContent content = SampleContent(Protocol::kT1);
    content.transactionFiles = {0x2001, 0x2002};
    FinancialCard card(content);
    SelectApplication(card);
    VerifyPin(card);
    EXPECT_EQ(Send(card, WriteCommand(kRecord, "1003")), "6A82");
    EXPECT_EQ(Send(card, WriteCommand(kRecord, "2002")),
              ExpectedAnswer("00000041", kRecordTac, "10", "2002") + "9000");
    EXPECT_EQ(card.TransactionRecords(0x2002).size(), 1U);
    EXPECT_TRUE(card.TransactionRecords(0x2001).empty());
}

}  // namespace
}  // namespace kestrova::sim_card_test
