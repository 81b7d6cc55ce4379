#include "tests/sim_card/card_test_support.h"

#include <gtest/gtest.h>

namespace kestrova::sim_card_test {

sim::CardContent SampleContent(sim::Protocol protocol) {
    sim::CardContent content;
    content.protocol = protocol;
    content.issuerBank = "0040001";
    content.remark = sim::HexBytes("A1B2C3");
    content.serialData = sim::HexBytes("1122334455667788 0000000000000000");
    content.ef1001.slots = 4;
    content.ef1001.accounts = {"0040123456789012", "0000000000000000", "00401234567890AB"};
    content.ef1002.slots = 2;
    content.ef1002.accounts = {"004000123456789012345678"};
    content.pin = "123456";
    content.key = sim::HexBytes("0123456789ABCDEF FEDCBA9876543210");
    content.snumStart = 41;
    return content;
}

void SelectApplication(sim::FinancialCard& card) {
    if (card.CardProtocol() == sim::Protocol::kT0) {
        ASSERT_EQ(Send(card, "00A4040008A000000172950001"), "610C");
    } else {
        ASSERT_EQ(Send(card, "00A4040008A00000017295000100"), "6F0A8408A0000001729500019000");
    }
}

void VerifyPin(sim::FinancialCard& card, std::string_view pinBlock) {
    ASSERT_EQ(Send(card, "0020001008" + std::string(pinBlock)), "9000");
}

}  // namespace kestrova::sim_card_test
