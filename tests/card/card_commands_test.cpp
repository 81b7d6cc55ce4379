// The card commands byte for byte on both protocols: header, data and
// whether Le is sent, and what each reports back.

#include "card/card_commands.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "card/card_result_codes.h"
#include "card/financial_aid.h"
#include "card/pin_block.h"
#include "tests/card/scripted_card_fixture.h"

namespace kestrova {
namespace {

using testing::kCardSlot;
using testing::ScriptedCardTest;

constexpr FileIdentifier kEf1001{0x10, 0x01};
// The file control information of an EF, as the financial card answers it.
constexpr char kFci[] = "620B8202042183021001 8A0105";

class T0CommandTest : public ScriptedCardTest {
  protected:
    void SetUp() override {
        ScriptedCardTest::SetUp();
        InsertScriptedCard(sim::Protocol::kT0);
    }
};

class T1CommandTest : public ScriptedCardTest {
  protected:
    void SetUp() override {
        ScriptedCardTest::SetUp();
        InsertScriptedCard(sim::Protocol::kT1);
    }
};

TEST_F(T0CommandTest, SelectApplicationSendsTheAidWithoutLeAndFetchesTheAnswer) {
    Expect("00 A4 04 00 08 A0 00 00 01 72 95 00 01", "61 0C");
    Expect("00 C0 00 00 0C", "6F0A8408A000000172950001 9000");
    EXPECT_EQ(SelectApplication(kCardSlot), 0);
    ExpectAllExchanged();
}

TEST_F(T1CommandTest, SelectApplicationEndsWithLe00) {
    Expect("00 A4 04 00 08 A0 00 00 01 72 95 00 01 00", "6F0A8408A000000172950001 9000");
    EXPECT_EQ(SelectApplication(kCardSlot), 0);
    Expect("00 A4 04 00 08 A0 00 00 01 72 95 00 01 00", "6A 82");
    EXPECT_EQ(SelectApplication(kCardSlot), 0x6A82);
    ExpectAllExchanged();
}

// Without a wish for the response nothing is asked back on either protocol,
// and the length reported is 0.
TEST_F(T0CommandTest, SelectFileWithoutResponseSendsNoLe) {
    Expect("00 A4 02 00 02 10 01", "90 00");
    std::int32_t length = -1;
    ResponseBuffer response{};
    EXPECT_EQ(SelectFile(kCardSlot, kEf1001, length, response, 0), 0);
    EXPECT_EQ(length, 0);
    ExpectAllExchanged();
}

TEST_F(T1CommandTest, SelectFileWithAndWithoutResponse) {
    Expect("00 A4 02 00 02 10 01", "90 00");
    std::int32_t length = -1;
    ResponseBuffer response{};
    EXPECT_EQ(SelectFile(kCardSlot, kEf1001, length, response, 0), 0);
    EXPECT_EQ(length, 0);

    Expect("00 A4 02 00 02 10 01 10", std::string(kFci) + "9000");
    EXPECT_EQ(SelectFile(kCardSlot, kEf1001, length, response, 1), 0);
    EXPECT_EQ(length, 13);
    EXPECT_EQ(sim::HexText(response.data(), 13), "620B82020421830210018A0105");
    ExpectAllExchanged();
}

// Commands without data carry Le on both protocols.
TEST_F(T0CommandTest, ReadRecordAndReadBinaryCarryTheirLe) {
    Expect("00 B2 03 04 12", "0310 30303430313233343536373839303132 9000");
    std::int32_t length = -1;
    ResponseBuffer response{};
    EXPECT_EQ(ReadRecord(kCardSlot, 3, 18, length, response), 0);
    EXPECT_EQ(length, 18);

    Expect("00 B0 00 00 10", "8886000012345678 2812310000000000 9000");
    EXPECT_EQ(ReadBinary(kCardSlot, length, response), 0);
    EXPECT_EQ(length, 16);
    EXPECT_EQ(sim::HexText(response.data(), 16), "88860000123456782812310000000000");
    ExpectAllExchanged();
}

TEST_F(T1CommandTest, ReadRecordWithLe0AsksForTheWholeRecord) {
    Expect("00 B2 01 04 00", "0108 3030343030303132 9000");
    std::int32_t length = -1;
    ResponseBuffer response{};
    EXPECT_EQ(ReadRecord(kCardSlot, 1, 0, length, response), 0);
    EXPECT_EQ(length, 10);
    ExpectAllExchanged();
}

// The length is what the card delivered: an answer without data is 0 bytes,
// not the 18 that were asked for.
TEST_F(T0CommandTest, AnAnswerWithoutDataReportsNoBytes) {
    Expect("00 B2 03 04 12", "90 00");
    std::int32_t length = -1;
    ResponseBuffer response{};
    EXPECT_EQ(ReadRecord(kCardSlot, 3, 18, length, response), 0);
    EXPECT_EQ(length, 0);
    ExpectAllExchanged();
}

TEST_F(T1CommandTest, AFullRecordOf256BytesReportsAll256) {
    const std::string data(512, 'A');
    Expect("00 B2 01 04 00", data + "9000");
    std::int32_t length = -1;
    ResponseBuffer response{};
    EXPECT_EQ(ReadRecord(kCardSlot, 1, 0, length, response), 0);
    EXPECT_EQ(length, 256);
    ExpectAllExchanged();
}

TEST_F(T0CommandTest, AFailedCommandLeavesTheLengthAsItWas) {
    Expect("00 B2 0B 04 12", "6A 83");
    std::int32_t length = 77;
    ResponseBuffer response{};
    EXPECT_EQ(ReadRecord(kCardSlot, 11, 18, length, response), 0x6A83);
    EXPECT_EQ(length, 77);
    ExpectAllExchanged();
}

TEST_F(T1CommandTest, WriteRecordAndVerifySendNoLe) {
    Expect("00 D2 01 04 08 12 34 56 FF FF FF FF FF", "90 00");
    const std::vector<std::uint8_t> data = sim::HexBytes("12 34 56 FF FF FF FF FF");
    EXPECT_EQ(WriteRecord(kCardSlot, 1, 8, data.data()), 0);

    PinBlock block;
    ASSERT_EQ(block.Pack("123456", 6), 0);
    Expect("00 20 00 10 08 12 34 56 FF FF FF FF FF", "63 C2");
    EXPECT_EQ(VerifyPinBlock(kCardSlot, block), 0x63C2);
    ExpectAllExchanged();
}

TEST_F(T1CommandTest, SelectByNameSendsTheNameAndReportsTheAnswer) {
    Expect("00 A4 04 00 08 A0 00 00 01 72 95 00 01 00", "6F0A8408A000000172950001 9000");
    std::int32_t length = -1;
    ResponseBuffer response{};
    EXPECT_EQ(SelectByName(kCardSlot, 8, FinancialAid.data(), length, response), 0);
    EXPECT_EQ(length, 12);
    ExpectAllExchanged();
}

// A name longer than the command's 32-byte buffer, or a record longer than
// one Lc byte counts, is refused before anything reaches the card.
TEST_F(T1CommandTest, OversizedNamesAndRecordsAreRefusedBeforeSending) {
    const std::vector<std::uint8_t> bytes(300, 0x41);
    std::int32_t length = 5;
    ResponseBuffer response{};
    EXPECT_EQ(SelectByName(kCardSlot, 33, bytes.data(), length, response), kResultWrongLength);
    EXPECT_EQ(SelectByName(kCardSlot, -1, bytes.data(), length, response), kResultWrongLength);
    EXPECT_EQ(WriteRecord(kCardSlot, 1, 256, bytes.data()), kResultWrongLength);
    EXPECT_EQ(WriteRecord(kCardSlot, 1, -8, bytes.data()), kResultWrongLength);
    EXPECT_EQ(length, 5);
    EXPECT_EQ(CommandCount(), 0U);

    // The largest of each still goes out.
    Expect("00 A4 04 00 20" + sim::HexText(bytes.data(), 32) + "00", "90 00");
    EXPECT_EQ(SelectByName(kCardSlot, 32, bytes.data(), length, response), 0);
    Expect("00 D2 01 04 FF" + sim::HexText(bytes.data(), 255), "90 00");
    EXPECT_EQ(WriteRecord(kCardSlot, 1, 255, bytes.data()), 0);
    ExpectAllExchanged();
}

TEST_F(ScriptedCardTest, CommandsOnASlotOutsideTheTableSendNothing) {
    InsertScriptedCard(sim::Protocol::kT0);
    EXPECT_EQ(SelectApplication(0), 9);
    EXPECT_EQ(SelectApplication(17), 9);
    EXPECT_EQ(CommandCount(), 0U);
}

}  // namespace
}  // namespace kestrova
