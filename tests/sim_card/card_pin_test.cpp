// VERIFY with its retry counter and the PIN change through WRITE RECORD.

#include <gtest/gtest.h>

#include "tests/sim_card/card_test_support.h"

namespace kestrova::sim_card_test {
namespace {

using sim::FinancialCard;
using sim::Protocol;

constexpr const char* kRightPin = "0020001008123456FFFFFFFFFF";
constexpr const char* kWrongPin = "0020001008654321FFFFFFFFFF";

class PinOnCard : public ::testing::TestWithParam<Protocol> {
  protected:
    void SetUp() override { SelectApplication(card); }
    FinancialCard card{SampleContent(GetParam())};
};

TEST_P(PinOnCard, CountsWrongPinsDownToBlockedAndARightOneResetsTheCount) {
    EXPECT_EQ(Send(card, kWrongPin), "63C2");
    EXPECT_EQ(Send(card, kWrongPin), "63C1");
    EXPECT_EQ(Send(card, kRightPin), "9000");
    EXPECT_TRUE(card.PinVerified());
    EXPECT_EQ(card.PinTriesLeft(), 3);
    EXPECT_EQ(Send(card, kWrongPin), "63C2");
    EXPECT_FALSE(card.PinVerified()) << "a wrong PIN undoes the verification";
    EXPECT_EQ(Send(card, kWrongPin), "63C1");
    EXPECT_EQ(Send(card, kWrongPin), "63C0");
    EXPECT_EQ(Send(card, kRightPin), "6983") << "blocked: even the right PIN";
    EXPECT_EQ(Send(card, "0020001000"), "6983");
    card.Reset();
    SelectApplication(card);
    EXPECT_EQ(Send(card, kRightPin), "6983") << "the block outlives a power-up";
}

TEST_P(PinOnCard, RefusesBlocksThatAreNoPinWithoutCostingATry) {
    EXPECT_EQ(Send(card, "0020001008FFFFFFFFFFFFFFFF"), "6A80") << "no PIN given";
    EXPECT_EQ(Send(card, "0020001008F0F0F0F0F0F0F0F0"), "6A80") << "the keypad marker";
    EXPECT_EQ(Send(card, "002000100812345AFFFFFFFFFF"), "6A80") << "a letter nibble";
    EXPECT_EQ(Send(card, "002000100812345FFFFFFFFFFF"), "6A80") << "five digits";
    EXPECT_EQ(Send(card, "00200010081234567890123FFF"), "6A80") << "thirteen digits";
    EXPECT_EQ(Send(card, "0020001008123456F1FFFFFFFF"), "6A80") << "a digit after filler";
    EXPECT_EQ(card.PinTriesLeft(), 3);
    EXPECT_EQ(Send(card, "0020001007123456FFFFFFFF"), "6700");
    EXPECT_EQ(Send(card, "0020001108123456FFFFFFFFFF"), "6A88") << "another PIN reference";
    EXPECT_EQ(Send(card, "0020011008123456FFFFFFFFFF"), "6A86");
}

TEST_P(PinOnCard, TellsTheVerificationStateToAVerifyWithoutData) {
    // Class 80 is what a keypad reader of the ACR83U kind gets with no PIN.
    EXPECT_EQ(Send(card, "80200010"), "63C3");
    EXPECT_EQ(Send(card, "0020001000"), "63C3");
    ASSERT_EQ(Send(card, kRightPin), "9000");
    EXPECT_EQ(Send(card, "80200010"), "9000");
}

TEST_P(PinOnCard, ChangesThePinOnlyAfterVerifyAndOnlyInRecordOneOfThePinFile) {
    const bool t0 = GetParam() == Protocol::kT0;
    ASSERT_EQ(Send(card, "00A4020002 00C2"), t0 ? "610D" : "9000");
    EXPECT_EQ(Send(card, "00D2010408 654321FFFFFFFFFF"), "6982") << "no VERIFY yet";
    ASSERT_EQ(Send(card, kRightPin), "9000");
    EXPECT_EQ(Send(card, "00D2020408 654321FFFFFFFFFF"), "6A83");
    EXPECT_EQ(Send(card, "00D2010407 654321FFFFFFFF"), "6700");
    EXPECT_EQ(Send(card, "00D2010408 FFFFFFFFFFFFFFFF"), "6A80");
    EXPECT_EQ(Send(card, "00D2010C08 654321FFFFFFFFFF"), "6A86");
    EXPECT_EQ(Send(card, "00D2010408 654321FFFFFFFFFF"), "9000");
    EXPECT_EQ(Send(card, kRightPin), "63C2") << "the old PIN is gone";
    EXPECT_EQ(Send(card, kWrongPin), "9000") << "the new one works";
}

TEST_P(PinOnCard, WritesNoRecordOfTheAccountFiles) {
    ASSERT_EQ(Send(card, kRightPin), "9000");
    EXPECT_EQ(Send(card, "00D2030410" + Hex("9999999999999999")), "6986") << "no file selected";
    SelectApplication(card);
    Send(card, "00A40200021001");
    EXPECT_EQ(Send(card, "00D2030410" + Hex("9999999999999999")), "6982");
}

TEST_P(PinOnCard, ForgetsTheVerificationAtPowerUpButKeepsItWhenTheApplicationIsSelectedAgain) {
    ASSERT_EQ(Send(card, kRightPin), "9000");
    SelectApplication(card);
    EXPECT_TRUE(card.PinVerified());
    card.Reset();
    EXPECT_FALSE(card.PinVerified());
    EXPECT_EQ(Send(card, kRightPin), "6985") << "VERIFY needs the application";
}

INSTANTIATE_TEST_SUITE_P(BothProtocols, PinOnCard, ::testing::Values(Protocol::kT0, Protocol::kT1),
                         [](const auto& parameter) {
                             return parameter.param == Protocol::kT0 ? "T0" : "T1";
                         });

TEST(PinOnCardContent, StartsWithTheTriesLeftThatTheContentGives) {
    sim::CardContent content = SampleContent(Protocol::kT1);
    content.pinTriesLeft = 0;
    FinancialCard card(content);
    SelectApplication(card);
    EXPECT_EQ(Send(card, kRightPin), "6983");
}

}  // namespace
}  // namespace kestrova::sim_card_test
