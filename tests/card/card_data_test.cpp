// Issuer bank, remark and serial number: the commands sent and the bytes
// taken from the answers.

#include "card/card_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "card/card_result_codes.h"
#include "tests/card/scripted_card_fixture.h"

namespace kestrova {
namespace {

using testing::kCardSlot;
using testing::ScriptedCardTest;

constexpr char kSelectAid[] = "00 A4 04 00 08 A0 00 00 01 72 95 00 01";

class CardDataTest : public ScriptedCardTest {
  protected:
    void SetUp() override {
        ScriptedCardTest::SetUp();
        InsertScriptedCard(sim::Protocol::kT0);
    }

    void ExpectEf1001Selection() {
        Expect(kSelectAid, "90 00");
        Expect("00 A4 02 00 02 10 01", "90 00");
    }

    std::string text_ = "stale";
};

TEST_F(CardDataTest, TheIssuerBankIsOffsetsTwoToNineOfRecordOne) {
    ExpectEf1001Selection();
    Expect("00 B2 01 04 0A", "0108 3030343030303132 9000");
    IssuerBankBytes issuer{};
    EXPECT_EQ(ReadIssuerBank(kCardSlot, issuer), 0);
    EXPECT_EQ(std::string(issuer.begin(), issuer.end()), "00400012");

    // Unchecked: bytes the card did not send are zero.
    ExpectEf1001Selection();
    Expect("00 B2 01 04 0A", "0104 41424344 9000");
    EXPECT_EQ(ReadIssuerBank(kCardSlot, issuer), 0);
    EXPECT_EQ(std::string(issuer.begin(), issuer.end()), std::string("ABCD\0\0\0\0", 8));

    ExpectEf1001Selection();
    Expect("00 B2 01 04 0A", "6A 83");
    EXPECT_EQ(ReadIssuerBank(kCardSlot, issuer), kResultReadRecordFailed);
    ExpectAllExchanged();
}

TEST_F(CardDataTest, TheRemarkIsTheRestOfRecordTwoAsHex) {
    const std::string thirty = "0102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E";
    ExpectEf1001Selection();
    Expect("00 B2 02 04 20", "021E" + thirty + "9000");
    EXPECT_EQ(ReadIccRemark(kCardSlot, text_), 0);
    EXPECT_EQ(text_, thirty);

    ExpectEf1001Selection();
    Expect("00 B2 02 04 20", "0200 9000");
    EXPECT_EQ(ReadIccRemark(kCardSlot, text_), 0);
    EXPECT_EQ(text_, "");

    // A card that sends more than the 32 bytes asked for: the remark stays
    // within the record, 60 characters at most.
    ExpectEf1001Selection();
    Expect("00 B2 02 04 20", "021E" + thirty + "FFFFFFFF 9000");
    EXPECT_EQ(ReadIccRemark(kCardSlot, text_), 0);
    EXPECT_EQ(text_, thirty);
    ExpectAllExchanged();
}

TEST_F(CardDataTest, TheSerialIsTheFirstEightBytesOfTheApplicationsData) {
    Expect(kSelectAid, "90 00");
    Expect("00 B0 00 00 10", "8886000012345678 2812310000000000 9000");
    EXPECT_EQ(ReadCardSerial(kCardSlot, text_), 0);
    EXPECT_EQ(text_, "8886000012345678");

    Expect(kSelectAid, "90 00");
    Expect("00 B0 00 00 10", "01020304 9000");
    EXPECT_EQ(ReadCardSerial(kCardSlot, text_), 0);
    EXPECT_EQ(text_, "0102030400000000");
    ExpectAllExchanged();
}

TEST_F(CardDataTest, EachFailedStepHasItsOwnCode) {
    Expect(kSelectAid, "6A 82");
    EXPECT_EQ(ReadCardSerial(kCardSlot, text_), kResultSelectApplicationFailed);
    Expect(kSelectAid, "90 00");
    Expect("00 B0 00 00 10", "69 86");
    EXPECT_EQ(ReadCardSerial(kCardSlot, text_), kResultReadSerialFailed);
    Expect(kSelectAid, "90 00");
    Expect("00 A4 02 00 02 10 01", "6A 82");
    EXPECT_EQ(ReadIccRemark(kCardSlot, text_), kResultSelectFileFailed);
    EXPECT_EQ(text_, "stale");
    ExpectAllExchanged();
}

}  // namespace
}  // namespace kestrova
