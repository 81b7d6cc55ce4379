// The card's information read after a transaction: EF1001's first three
// records, with the flow's own error handling.

#include "txn/transaction_info.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/card/scripted_card_fixture.h"

namespace kestrova {
namespace {

using testing::kCardSlot;
using testing::ScriptedCardTest;

class TransactionInfoTest : public ScriptedCardTest {
  protected:
    void SetUp() override {
        ScriptedCardTest::SetUp();
        InsertScriptedCard(sim::Protocol::kT1);
    }

    std::string Read(std::int32_t expectedResult) {
        issuer_ = "old issuer";
        remark_ = "old remark";
        account_ = "old account";
        EXPECT_EQ(ReadTransactionInfo(kCardSlot, issuer_, remark_, account_), expectedResult);
        return issuer_ + "|" + remark_ + "|" + account_;
    }

    std::string issuer_;
    std::string remark_;
    std::string account_;
};

TEST_F(TransactionInfoTest, ReadsIssuerRemarkAndAccountFromEf1001) {
    Expect("00 A4 02 00 02 10 01", "90 00");
    Expect("00 B2 01 04 0A", "0108 3030343030303132 9000");
    Expect("00 B2 02 04 20", "0205 0a0B0c0D0e 9000");
    Expect("00 B2 03 04 12", "0310 30303430313233343536373839303132 9000");
    EXPECT_EQ(Read(0), "00400012|0A0B0C0D0E|0040123456789012");
    ExpectAllExchanged();
}

// Texts end at their first zero byte; a remark record without data bytes
// gives an empty remark; a short record gives the bytes it has.
TEST_F(TransactionInfoTest, TextsTakeOnlyTheBytesPresent) {
    Expect("00 A4 02 00 02 10 01", "90 00");
    Expect("00 B2 01 04 0A", "0108 3030340000000000 9000");
    Expect("00 B2 02 04 20", "0200 9000");
    Expect("00 B2 03 04 12", "0310 3132 9000");
    EXPECT_EQ(Read(0), "004||12");
    ExpectAllExchanged();
}

// The first refused step ends the read with the card's word; texts read
// before it stay, the others are empty.
TEST_F(TransactionInfoTest, TheFirstFailureEndsTheRead) {
    Expect("00 A4 02 00 02 10 01", "6A 82");
    EXPECT_EQ(Read(0x6A82), "||");

    Expect("00 A4 02 00 02 10 01", "90 00");
    Expect("00 B2 01 04 0A", "0108 3030343030303132 9000");
    Expect("00 B2 02 04 20", "6A 83");
    EXPECT_EQ(Read(0x6A83), "00400012||");
    ExpectAllExchanged();

    EXPECT_EQ(ReadTransactionInfo(0, issuer_, remark_, account_), 9);
}

}  // namespace
}  // namespace kestrova
