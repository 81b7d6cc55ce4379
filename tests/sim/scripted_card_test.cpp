// The scripted card: exact commands in, canned answers out, and a precise
// account of every command that differed.

#include "tests/sim/sim_fixture.h"

namespace kestrova::sim_test {
namespace {

using sim::HexBytes;

TEST(ScriptedCardTest, AnswersTheScriptInOrder) {
    sim::ScriptedCard card(HexBytes("3B00"), sim::Protocol::kT1);
    card.Expect(HexBytes("00A4040000"), HexBytes("9000"));
    card.Expect(HexBytes("00B2010C00"), HexBytes("01029000"));
    EXPECT_FALSE(card.AllConsumed());
    EXPECT_EQ(card.Answer(HexBytes("00A4040000")), HexBytes("9000"));
    EXPECT_EQ(card.Answer(HexBytes("00B2010C00")), HexBytes("01029000"));
    EXPECT_TRUE(card.AllConsumed());
    EXPECT_TRUE(card.Mismatches().empty());
    EXPECT_EQ(card.Report(), "");
    EXPECT_EQ(card.Atr(), HexBytes("3B00"));
    EXPECT_EQ(card.CardProtocol(), sim::Protocol::kT1);
}

TEST(ScriptedCardTest, ADifferingCommandIsReportedByteForByteAndTheScriptStaysInStep) {
    sim::ScriptedCard card(HexBytes("3B00"), sim::Protocol::kT0);
    card.Expect(HexBytes("00A4040000"), HexBytes("9000"));
    card.Expect(HexBytes("00B2010C00"), HexBytes("01029000"));
    card.Expect(HexBytes("00B2020C00"), HexBytes("03049000"));
    EXPECT_EQ(card.Answer(HexBytes("00A4040000")), HexBytes("9000"));
    EXPECT_EQ(card.Answer(HexBytes("00B2020C00")), HexBytes("6F00"));
    EXPECT_EQ(card.Answer(HexBytes("00B2020C00")), HexBytes("03049000"));

    const std::vector<sim::Mismatch> mismatches = card.Mismatches();
    ASSERT_EQ(mismatches.size(), 1U);
    EXPECT_EQ(mismatches[0].command, 2U);
    EXPECT_EQ(mismatches[0].expected, HexBytes("00B2010C00"));
    EXPECT_EQ(mismatches[0].received, HexBytes("00B2020C00"));
    EXPECT_EQ(card.Report(),
              "command 2: expected 00B2010C00, received 00B2020C00 (first difference at offset "
              "2)\n");
}

TEST(ScriptedCardTest, LengthDifferencesExtraCommandsAndLeftoversAreReported) {
    sim::ScriptedCard card(HexBytes("3B00"), sim::Protocol::kT0);
    card.Expect(HexBytes("00B0000004"), HexBytes("9000"));
    card.Expect(HexBytes("00B0000008"), HexBytes("9000"));
    EXPECT_EQ(card.Answer(HexBytes("00B000000400")), HexBytes("6F00"));
    EXPECT_FALSE(card.AllConsumed());
    EXPECT_EQ(card.Report(),
              "command 1: expected 00B0000004, received 00B000000400 (first difference at offset "
              "5; 5 bytes expected, 6 received)\n"
              "never received: 00B0000008\n");
    card.Answer(HexBytes("00B0000008"));
    EXPECT_EQ(card.Answer(HexBytes("0084000008")), HexBytes("6F00"));
    EXPECT_EQ(card.Mismatches().back().Describe(), "command 3: none expected, received 0084000008");
    EXPECT_EQ(card.CommandCount(), 3U);
}

using ScriptedCardInServiceTest = SimulatedPcscTest;

TEST_F(ScriptedCardInServiceTest, ResetsReachTheCard) {
    AddEmptyReader("Reader A");
    const auto card = PlugScriptedCard("Reader A");
    EXPECT_EQ(card->ResetCount(), 1);  // powered up when put in
    const SCARDHANDLE handle = Connect(Establish(), "Reader A", SCARD_SHARE_EXCLUSIVE);
    EXPECT_EQ(card->ResetCount(), 1);
    DWORD protocol = 0;
    EXPECT_EQ(pcsc().reconnect(handle, SCARD_SHARE_EXCLUSIVE, kT0OrT1, SCARD_RESET_CARD, &protocol),
              SCARD_S_SUCCESS);
    EXPECT_EQ(card->ResetCount(), 2);
    ASSERT_TRUE(sim::RemoveCard("Reader A"));
    ASSERT_TRUE(sim::InsertCard("Reader A"));
    EXPECT_EQ(card->ResetCount(), 3);
}

TEST(HexBytesTest, ReadsEitherCaseWithSpacesAndWritesUppercase) {
    EXPECT_EQ(HexBytes("00 a4 04 0F"), (sim::Bytes{0x00, 0xA4, 0x04, 0x0F}));
    EXPECT_EQ(HexBytes(""), sim::Bytes{});
    EXPECT_EQ(sim::HexText(sim::Bytes{0x00, 0xA4, 0xff}), "00A4FF");
}

TEST(HexBytesDeathTest, ATypoInATestsHexStops) {
    EXPECT_DEATH(HexBytes("00 A"), "not hex text");
    EXPECT_DEATH(HexBytes("0G"), "not hex text");
}

}  // namespace
}  // namespace kestrova::sim_test
