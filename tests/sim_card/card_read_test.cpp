// The card's SELECT, READ RECORD, READ BINARY and GET RESPONSE, on both
// protocols: what the component's account, issuer, remark and serial reads
// meet.

#include <gtest/gtest.h>

#include "tests/sim_card/card_test_support.h"

namespace kestrova::sim_card_test {
namespace {

using sim::FinancialCard;
using sim::Protocol;

class CardOnT0 : public ::testing::Test {
  protected:
    FinancialCard card{SampleContent(Protocol::kT0)};
};

class CardOnT1 : public ::testing::Test {
  protected:
    FinancialCard card{SampleContent(Protocol::kT1)};
};

TEST_F(CardOnT0, SelectsTheApplicationAndLeavesItsFciForGetResponse) {
    EXPECT_EQ(Send(card, "00A4040008A000000172950001"), "610C");
    EXPECT_EQ(Send(card, "00C000000C"), "6F0A8408A0000001729500019000");
    // Fetched once: nothing is left.
    EXPECT_EQ(Send(card, "00C000000C"), "6985");
}

TEST_F(CardOnT0, GetResponseWithAnotherLengthAsksForTheExactOneOrHandsOutParts) {
    ASSERT_EQ(Send(card, "00A4040008A000000172950001"), "610C");
    EXPECT_EQ(Send(card, "00C0000010"), "6C0C");
    EXPECT_EQ(Send(card, "00C0000004"), "6F0A84086108");
    EXPECT_EQ(Send(card, "00C0000008"), "A0000001729500019000");
}

TEST_F(CardOnT0, AResponseWaitsForTheNextCommandOnly) {
    ASSERT_EQ(Send(card, "00A4040008A000000172950001"), "610C");
    ASSERT_EQ(Send(card, "00A40200021001"), "610D");
    EXPECT_EQ(Send(card, "00C000000D"), "620B82020421830210018A01059000");
    ASSERT_EQ(Send(card, "00A40200021002"), "610D");
    EXPECT_EQ(Send(card, "00B2010400"), "0118" + Hex("004000123456789012345678") + "9000")
        << "READ RECORD in between";
    EXPECT_EQ(Send(card, "00C000000D"), "6985");
}

TEST_F(CardOnT1, AnswersSelectAtOnceWhenLeIsSentAndWithoutFciWhenItIsNot) {
    EXPECT_EQ(Send(card, "00A4040008A00000017295000100"), "6F0A8408A0000001729500019000");
    EXPECT_EQ(Send(card, "00A40200021001"), "9000");
    EXPECT_EQ(Send(card, "00A4020002100110"), "620B82020421830210018A01059000");
    EXPECT_EQ(Send(card, "00A4020C021002"), "9000");
    // An Le too small for the control information asks for its length.
    EXPECT_EQ(Send(card, "00A4020002100208"), "6C0D");
}

TEST_F(CardOnT1, RefusesUnknownNamesAndFilesAndFilesBeforeTheApplication) {
    EXPECT_EQ(Send(card, "00A40200021001"), "6A82") << "EF1001 before the application";
    EXPECT_EQ(Send(card, "00A4040008A00000017295000200"), "6A82");
    EXPECT_EQ(Send(card, "00A4040007A000000172950000"), "6A82") << "a shorter name";
    SelectApplication(card);
    EXPECT_EQ(Send(card, "00A40200021003"), "9000") << "the transaction file";
    EXPECT_EQ(Send(card, "00A40200021004"), "6A82");
    EXPECT_EQ(Send(card, "00A402000310"), "6700");
    EXPECT_EQ(Send(card, "00A4000002 3F00"), "6A86");
    EXPECT_EQ(Send(card, "00A4020402 1001"), "6A86");
}

TEST_F(CardOnT1, ReadsTheIssuerRemarkAndAccountRecordsOfEf1001) {
    SelectApplication(card);
    ASSERT_EQ(Send(card, "00A40200021001"), "9000");
    // Issuer: seven characters and a zero byte.
    EXPECT_EQ(Send(card, "00B201040A"), "0108" + Hex("0040001") +
                                            "00"
                                            "9000");
    EXPECT_EQ(Send(card, "00B2020405"), "0203A1B2C39000");
    EXPECT_EQ(Send(card, "00B2030412"), "0310" + Hex("0040123456789012") + "9000");
    EXPECT_EQ(Send(card, "00B2040412"), "0410" + Hex("0000000000000000") + "9000");
    EXPECT_EQ(Send(card, "00B2050412"), "0510" + Hex("00401234567890AB") + "9000");
    EXPECT_EQ(Send(card, "00B2060412"), "0610" + Hex("0000000000000000") + "9000")
        << "slots beyond the accounts are unused";
    EXPECT_EQ(Send(card, "00B2070412"), "6A83") << "four slots: records 3 to 6";
}

TEST_F(CardOnT1, ReadsTheAccountRecordsOfEf1002) {
    SelectApplication(card);
    ASSERT_EQ(Send(card, "00A40200021002"), "9000");
    EXPECT_EQ(Send(card, "00B201041A"), "0118" + Hex("004000123456789012345678") + "9000");
    EXPECT_EQ(Send(card, "00B202041A"), "0218" + Hex(std::string(24, '0')) + "9000");
    EXPECT_EQ(Send(card, "00B203041A"), "6A83");
}

// The remark record is shorter than the 32 bytes asked for: the card tells
// the length, and the command sent again with it (or with Le 00, or without
// Le as the resend under T=1 goes) gets the record.
TEST(CardOnBothProtocols, AnswersAWrongLeWithTheExactLength) {
    for (const Protocol protocol : {Protocol::kT0, Protocol::kT1}) {
        FinancialCard card(SampleContent(protocol));
        SelectApplication(card);
        ASSERT_EQ(Send(card, "00A40200021001"), protocol == Protocol::kT0 ? "610D" : "9000");
        EXPECT_EQ(Send(card, "00B2020420"), "6C05");
        EXPECT_EQ(Send(card, "00B2020405"), "0203A1B2C39000");
        EXPECT_EQ(Send(card, "00B2020400"), "0203A1B2C39000");
        EXPECT_EQ(Send(card, "00B2020404"), "6C05") << "a shorter Le as well";
        EXPECT_EQ(Send(card, "00B20204"), "0203A1B2C39000");
    }
}

TEST_F(CardOnT0, RefusesRecordReadsWithoutAFileOrOnThePinFileOrWithBadParameters) {
    EXPECT_EQ(Send(card, "00B2010400"), "6986") << "nothing selected";
    SelectApplication(card);
    EXPECT_EQ(Send(card, "00B2010400"), "6986") << "only the application selected";
    ASSERT_EQ(Send(card, "00A4020002 00C2"), "610D");
    EXPECT_EQ(Send(card, "00B2010400"), "6982") << "the PIN stays secret";
    ASSERT_EQ(Send(card, "00A40200021001"), "610D");
    EXPECT_EQ(Send(card, "00B2010C00"), "6A86") << "only P2 04 (record number in P1)";
    EXPECT_EQ(Send(card, "00B2000400"), "6A86") << "no current record";
    EXPECT_EQ(Send(card, "00B20104020102"), "6700") << "data with READ RECORD";
}

TEST(CardOnBothProtocols, ReadsTheSerialDataAtTheApplicationLevelOnly) {
    for (const Protocol protocol : {Protocol::kT0, Protocol::kT1}) {
        FinancialCard card(SampleContent(protocol));
        EXPECT_EQ(Send(card, "00B0000010"), "6986");
        SelectApplication(card);
        EXPECT_EQ(Send(card, "00B0000010"), "112233445566778800000000000000009000");
        EXPECT_EQ(Send(card, "00B0000008"), "11223344556677889000");
        EXPECT_EQ(Send(card, "00B000000C00"), "6700") << "data with READ BINARY";
        EXPECT_EQ(Send(card, "00B0000200"), "33445566778800000000000000009000");
        EXPECT_EQ(Send(card, "00B0000210"), "6C0E");
        EXPECT_EQ(Send(card, "00B0001000"), "6B00");
        EXPECT_EQ(Send(card, "00B0810000"), "6A86") << "no short file identifiers";
        ASSERT_EQ(Send(card, "00A40200021001"), protocol == Protocol::kT0 ? "610D" : "9000");
        EXPECT_EQ(Send(card, "00B0000010"), "6981") << "EF1001 holds records";
    }
}

TEST_F(CardOnT0, RefusesUnknownInstructionsClassesAndMalformedCommands) {
    EXPECT_EQ(Send(card, "00840000 08"), "6D00");
    EXPECT_EQ(Send(card, "A0A4040008A000000172950001"), "6E00");
    EXPECT_EQ(Send(card, "80B0000010"), "6E00") << "class 80 is for VERIFY only";
    EXPECT_EQ(Send(card, "00A404"), "6700");
    EXPECT_EQ(Send(card, "00A4040008A0000001"), "6700") << "fewer data bytes than Lc";
    EXPECT_EQ(Send(card, "00A4040008A00000017295000100FF"), "6700") << "bytes after Le";
    EXPECT_EQ(Send(card, "00C0000100"), "6A86");
}

TEST(CardPowerUp, ForgetsTheSelectionAndThePendingResponse) {
    FinancialCard card(SampleContent(Protocol::kT0));
    ASSERT_EQ(Send(card, "00A4040008A000000172950001"), "610C");
    card.Reset();
    EXPECT_EQ(Send(card, "00C000000C"), "6985");
    EXPECT_EQ(Send(card, "00A40200021001"), "6A82");
}

}  // namespace
}  // namespace kestrova::sim_card_test
