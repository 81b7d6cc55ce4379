// Faults a card is told to show: by command header or by command number,
// skipped and counted, with delays that go through the card's pause.

#include <gtest/gtest.h>

#include <vector>

#include "tests/sim_card/card_test_support.h"

namespace kestrova::sim_card_test {
namespace {

using sim::FaultRule;
using sim::FinancialCard;
using sim::Protocol;

FinancialCard CardWith(std::vector<FaultRule> faults, std::vector<int>* pauses = nullptr) {
    sim::CardContent content = SampleContent(Protocol::kT1);
    content.faults = std::move(faults);
    return FinancialCard(content, [pauses](int milliseconds) {
        if (pauses != nullptr) {
            pauses->push_back(milliseconds);
        }
    });
}

FaultRule StatusRule(const char* prefix, std::uint16_t statusWord, int times = 1) {
    FaultRule rule;
    rule.commandPrefix = sim::HexBytes(prefix);
    rule.status = statusWord;
    rule.times = times;
    return rule;
}

std::string Write() {
    return "00E2100308" + Hex("record 1") + "00";
}

TEST(CardFaults, AnswerTheWriteWith6610AGivenNumberOfTimesWithoutWriting) {
    FinancialCard card = CardWith({StatusRule("00E2", 0x6610, 2)});
    SelectApplication(card);
    VerifyPin(card);
    EXPECT_EQ(Send(card, Write()), "6610");
    EXPECT_EQ(Send(card, Write()), "6610");
    EXPECT_EQ(card.NextSnum(), 41U);
    EXPECT_EQ(Send(card, Write()).substr(0, 18), "08" + Hex("00000041"));
}

TEST(CardFaults, MatchTheHeaderPrefixOnly) {
    FinancialCard card = CardWith({StatusRule("00B20604", 0x6581)});
    SelectApplication(card);
    Send(card, "00A40200021001");
    EXPECT_EQ(Send(card, "00B2050412").substr(0, 4), "0510");
    EXPECT_EQ(Send(card, "00B2060412"), "6581");
    EXPECT_EQ(Send(card, "00B2060412").substr(0, 4), "0610") << "once by default";
}

TEST(CardFaults, HitTheNthCommandCountedSinceTheCardWasMadeAcrossPowerUps) {
    FaultRule rule;
    rule.nth = 3;
    rule.status = 0x6F00;
    FinancialCard card = CardWith({rule});
    SelectApplication(card);  // 1
    card.Reset();
    SelectApplication(card);  // 2
    EXPECT_EQ(Send(card, "00A40200021001"), "6F00");
    EXPECT_EQ(Send(card, "00A40200021001"), "9000");
    EXPECT_EQ(card.CommandCount(), 4U);
}

TEST(CardFaults, SkipMatchesFirstAndCanFireAlways) {
    FaultRule rule = StatusRule("00A402", 0x6A82, 0);
    rule.skip = 1;
    FinancialCard card = CardWith({rule});
    SelectApplication(card);
    EXPECT_EQ(Send(card, "00A40200021001"), "9000");
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Send(card, "00A40200021002"), "6A82");
    }
}

TEST(CardFaults, DelayTheAnswerThroughThePauseAndAddUp) {
    std::vector<int> pauses;
    FaultRule slowSelect;
    slowSelect.commandPrefix = sim::HexBytes("00A4");
    slowSelect.delayMs = 150;
    slowSelect.times = 0;
    FaultRule slowAndFailing = StatusRule("00A40200", 0x6A82);
    slowAndFailing.delayMs = 50;
    FinancialCard card = CardWith({slowSelect, slowAndFailing}, &pauses);
    SelectApplication(card);
    EXPECT_EQ(Send(card, "00A40200021001"), "6A82");
    EXPECT_EQ(Send(card, "00A40200021001"), "9000");
    EXPECT_EQ(Send(card, "00B201040A").substr(0, 4), "0108") << "no delay for READ RECORD";
    EXPECT_EQ(pauses, (std::vector<int>{150, 200, 150}));
}

TEST(CardFaults, FirstRuleWithAStatusDecidesAndAFaultDropsAPendingResponse) {
    sim::CardContent content = SampleContent(Protocol::kT0);
    content.faults = {StatusRule("00C0", 0x6700), StatusRule("00", 0x6F00)};
    FinancialCard card(content, [](int) {});
    // The second rule hits the SELECT first (the first rule does not match).
    EXPECT_EQ(Send(card, "00A4040008A000000172950001"), "6F00");
    EXPECT_EQ(Send(card, "00A4040008A000000172950001"), "610C");
    EXPECT_EQ(Send(card, "00C000000C"), "6700");
    EXPECT_EQ(Send(card, "00C000000C"), "6985") << "the response was dropped by the fault";
}

}  // namespace
}  // namespace kestrova::sim_card_test
