// The card's building blocks: command parsing, PIN blocks, SNUM digits and
// the protocol that an answer to reset offers.

#include <gtest/gtest.h>

#include "sim/card/atr_protocol.h"
#include "sim/card/command_apdu.h"
#include "sim/card/pin_block.h"
#include "sim/card/transaction_authorisation.h"
#include "sim/service/hex_bytes.h"

namespace kestrova::sim_card_test {
namespace {

using sim::HexBytes;
using sim::Protocol;

TEST(CommandApdu, SplitsTheFourCasesOfTheShortForm) {
    const auto case1 = sim::ParseCommandApdu(HexBytes("80200010"));
    ASSERT_TRUE(case1);
    EXPECT_EQ(case1->cla, 0x80);
    EXPECT_FALSE(case1->HasData());
    EXPECT_FALSE(case1->le);

    const auto case2 = sim::ParseCommandApdu(HexBytes("00B0000000"));
    ASSERT_TRUE(case2 && case2->le);
    EXPECT_EQ(*case2->le, 256U) << "Le 00 asks for 256 bytes";

    const auto case3 = sim::ParseCommandApdu(HexBytes("00A40200021001"));
    ASSERT_TRUE(case3);
    EXPECT_EQ(sim::HexText(case3->data), "1001");
    EXPECT_FALSE(case3->le);

    const auto case4 = sim::ParseCommandApdu(HexBytes("00A402000210010D"));
    ASSERT_TRUE(case4 && case4->le);
    EXPECT_EQ(sim::HexText(case4->data), "1001");
    EXPECT_EQ(*case4->le, 13U);
}

TEST(CommandApdu, RefusesCommandsWhoseLengthsDoNotAddUp) {
    EXPECT_FALSE(sim::ParseCommandApdu(HexBytes("00A404")));
    EXPECT_FALSE(sim::ParseCommandApdu(HexBytes("00A4040000AABB"))) << "extended length";
    EXPECT_FALSE(sim::ParseCommandApdu(HexBytes("00A4040003AABB")));
    EXPECT_FALSE(sim::ParseCommandApdu(HexBytes("00A4040001AABBCC")));
}

TEST(PinBlock, PacksDigitsHighNibbleFirstAndFillsWithF) {
    const auto six = sim::PackPin("123456");
    ASSERT_TRUE(six);
    EXPECT_EQ(sim::HexText(six->data(), six->size()), "123456FFFFFFFFFF");
    const auto seven = sim::PackPin("1234567");
    ASSERT_TRUE(seven);
    EXPECT_EQ(sim::HexText(seven->data(), seven->size()), "1234567FFFFFFFFF");
    const auto twelve = sim::PackPin("098765432109");
    ASSERT_TRUE(twelve);
    EXPECT_EQ(sim::HexText(twelve->data(), twelve->size()), "098765432109FFFF");
    EXPECT_FALSE(sim::PackPin("12345"));
    EXPECT_FALSE(sim::PackPin("1234567890123"));
    EXPECT_FALSE(sim::PackPin("12345A"));
}

TEST(PinBlock, IsWellFormedForEverythingPackPinMakesAndNothingElse) {
    for (const char* pin : {"000000", "1234567", "999999999999"}) {
        EXPECT_TRUE(sim::IsWellFormedPinBlock(*sim::PackPin(pin))) << pin;
    }
    auto block = [](const char* hex) {
        sim::PinBlock result{};
        const sim::Bytes bytes = HexBytes(hex);
        std::copy(bytes.begin(), bytes.end(), result.begin());
        return result;
    };
    EXPECT_FALSE(sim::IsWellFormedPinBlock(block("FFFFFFFFFFFFFFFF")));
    EXPECT_FALSE(sim::IsWellFormedPinBlock(block("F0F0F0F0F0F0F0F0")));
    EXPECT_FALSE(sim::IsWellFormedPinBlock(block("123456FFFFFFFFF0")));
    EXPECT_FALSE(sim::IsWellFormedPinBlock(block("1234567890123456")));
}

TEST(Snum, IsEightDigitsWithLeadingZerosUpTo99999999) {
    const auto first = sim::FormatSnum(0);
    ASSERT_TRUE(first);
    EXPECT_EQ(std::string(first->begin(), first->end()), "00000000");
    const auto some = sim::FormatSnum(1234567);
    ASSERT_TRUE(some);
    EXPECT_EQ(std::string(some->begin(), some->end()), "01234567");
    EXPECT_TRUE(sim::FormatSnum(99999999));
    EXPECT_FALSE(sim::FormatSnum(100000000));
}

TEST(Tac, NeedsATwoOrThreeKeyLengthAndARecord) {
    const sim::Bytes record = HexBytes("0102030405060708");
    EXPECT_FALSE(sim::ComputeTac(HexBytes("0123456789ABCDEF"), record));
    EXPECT_FALSE(sim::ComputeTac(HexBytes("0123456789ABCDEF FEDCBA9876543210"), {}));
    EXPECT_TRUE(sim::ComputeTac(HexBytes("0123456789ABCDEF FEDCBA9876543210"), record));
}

TEST(AtrProtocol, IsT1WhenOfferedElseT0) {
    EXPECT_EQ(sim::ProtocolOfAtr(HexBytes("3B021450")), Protocol::kT0);
    EXPECT_EQ(sim::ProtocolOfAtr(HexBytes("3B80800101")), Protocol::kT1);
    // TD1 offering T=1 only, two historical bytes, check byte.
    EXPECT_EQ(sim::ProtocolOfAtr(HexBytes("3B 82 81 31 FE 45 4A 43 4F 50 D2")), std::nullopt)
        << "wrong length";
    EXPECT_EQ(sim::ProtocolOfAtr(HexBytes("3B 82 01 4A 43 8A")), Protocol::kT1);
    // TA1 TB1 TC1 then historical bytes, T=0 only: no check byte.
    EXPECT_EQ(sim::ProtocolOfAtr(HexBytes("3B 72 94 00 00 41 42")), Protocol::kT0);
}

TEST(AtrProtocol, RefusesAnswersToResetThatAreNotWellFormed) {
    EXPECT_FALSE(sim::ProtocolOfAtr(HexBytes("3B")));
    EXPECT_FALSE(sim::ProtocolOfAtr(HexBytes("3A021450"))) << "TS";
    EXPECT_FALSE(sim::ProtocolOfAtr(HexBytes("3B0214"))) << "a historical byte missing";
    EXPECT_FALSE(sim::ProtocolOfAtr(HexBytes("3B02145000"))) << "a byte too many";
    EXPECT_FALSE(sim::ProtocolOfAtr(HexBytes("3B80800102"))) << "check byte";
    EXPECT_FALSE(sim::ProtocolOfAtr(HexBytes("3B8080"))) << "TD2 missing";
}

}  // namespace
}  // namespace kestrova::sim_card_test
