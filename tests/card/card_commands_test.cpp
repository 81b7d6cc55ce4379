// The card commands byte for byte on both protocols: header, data, whether
// Le is sent, and the length each reports back.

#include "card/card_commands.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "reader/result_codes.h"
#include "card/financial_aid.h"
#include "tests/card/scripted_card_fixture.h"

namespace kestrova {
namespace {

using testing::kCardSlot;
using testing::ScriptedCardTest;

constexpr FileIdentifier kEf1001{0x10, 0x01};
constexpr char kSelectAid[] = "00 A4 04 00 08 A0 00 00 01 72 95 00 01";
constexpr char kAppFci[] = "6F0A8408A000000172950001 9000";

class CardCommandTest : public ScriptedCardTest {
  protected:
    std::int32_t length_ = -1;
    ResponseBuffer response_{};
};

// T=0: a command with data carries no Le and its answer is fetched; one
// without data carries its Le.
TEST_F(CardCommandTest, LayoutsOnT0) {
    InsertScriptedCard(sim::Protocol::kT0);
    Expect(kSelectAid, "61 0C");
    Expect("00 C0 00 00 0C", kAppFci);
    EXPECT_EQ(SelectApplication(kCardSlot), 0);
    Expect("00 A4 02 00 02 10 01", "90 00");
    EXPECT_EQ(SelectFile(kCardSlot, kEf1001, length_, response_, 0), 0);
    EXPECT_EQ(length_, 0);
    Expect("00 B0 00 00 10", "8886000012345678 2812310000000000 9000");
    EXPECT_EQ(ReadBinary(kCardSlot, length_, response_), 0);
    EXPECT_EQ(length_, 16);
    ExpectAllExchanged();
}

// T=1: Le follows the data, except for the commands that ask for nothing.
TEST_F(CardCommandTest, LayoutsOnT1) {
    InsertScriptedCard(sim::Protocol::kT1);
    Expect(std::string(kSelectAid) + "00", kAppFci);
    EXPECT_EQ(SelectApplication(kCardSlot), 0);
    Expect(std::string(kSelectAid) + "00", kAppFci);
    EXPECT_EQ(SelectByName(kCardSlot, 8, FinancialAid.data(), length_, response_), 0);
    EXPECT_EQ(length_, 12);
    Expect("00 A4 02 00 02 10 01", "90 00");
    EXPECT_EQ(SelectFile(kCardSlot, kEf1001, length_, response_, 0), 0);
    Expect("00 A4 02 00 02 10 01 10", "620B82020421830210018A0105 9000");
    EXPECT_EQ(SelectFile(kCardSlot, kEf1001, length_, response_, 1), 0);
    EXPECT_EQ(length_, 13);
    const std::vector<std::uint8_t> record = sim::HexBytes("12 34 56 FF FF FF FF FF");
    Expect("00 D2 01 04 08 12 34 56 FF FF FF FF FF", "90 00");
    EXPECT_EQ(WriteRecord(kCardSlot, 1, 8, record.data()), 0);
    PinBlock block;
    ASSERT_EQ(block.Pack("123456", 6), 0);
    Expect("00 20 00 10 08 12 34 56 FF FF FF FF FF", "63 C2");
    EXPECT_EQ(VerifyPinBlock(kCardSlot, block), 0x63C2);
    ExpectAllExchanged();
}

// The length is what the card delivered: 90 00 alone is 0 bytes, not the 18
// asked for; a failure leaves the length as it was.
TEST_F(CardCommandTest, TheLengthReportedIsWhatTheCardDelivered) {
    InsertScriptedCard(sim::Protocol::kT0);
    Expect("00 B2 03 04 12", "90 00");
    EXPECT_EQ(ReadRecord(kCardSlot, 3, 18, length_, response_), 0);
    EXPECT_EQ(length_, 0);
    Expect("00 B2 0B 04 12", "6A 83");
    length_ = 77;
    EXPECT_EQ(ReadRecord(kCardSlot, 11, 18, length_, response_), 0x6A83);
    EXPECT_EQ(length_, 77);
    ExpectAllExchanged();
}

// A name longer than the command's 32-byte buffer, or a record longer than
// one Lc byte counts, is refused before anything reaches the card.
TEST_F(CardCommandTest, OversizedNamesAndRecordsAreRefusedBeforeSending) {
    InsertScriptedCard(sim::Protocol::kT1);
    const std::vector<std::uint8_t> bytes(300, 0x41);
    EXPECT_EQ(SelectByName(kCardSlot, 33, bytes.data(), length_, response_), kResultWrongLength);
    EXPECT_EQ(SelectByName(kCardSlot, -1, bytes.data(), length_, response_), kResultWrongLength);
    EXPECT_EQ(WriteRecord(kCardSlot, 1, 256, bytes.data()), kResultWrongLength);
    EXPECT_EQ(WriteRecord(kCardSlot, 1, -8, bytes.data()), kResultWrongLength);
    EXPECT_EQ(CommandCount(), 0U);
    Expect("00 A4 04 00 20" + sim::HexText(bytes.data(), 32) + "00", "90 00");
    EXPECT_EQ(SelectByName(kCardSlot, 32, bytes.data(), length_, response_), 0);
    Expect("00 D2 01 04 FF" + sim::HexText(bytes.data(), 255), "90 00");
    EXPECT_EQ(WriteRecord(kCardSlot, 1, 255, bytes.data()), 0);
    ExpectAllExchanged();
}

}  // namespace
}  // namespace kestrova
