// DES and MAC as a page calls them: results through RespData, codes as the
// return value. The cipher itself is tested with the crypto layer.

#include <gtest/gtest.h>

#include "control/kestrova_ctrl.h"
#include "invoke_helpers.h"

namespace kestrova {
namespace {

// Call, L, S, Null, ValueOf: calls written as a page writes them.
using namespace kestrova::testing;

// FIPS 81's example: "Now is t" under 0123456789ABCDEF.
constexpr char16_t kKey[] = u"0123456789ABCDEF";
constexpr char16_t kPlain[] = u"4E6F772069732074";
constexpr char16_t kCipher[] = u"3FA40E8A984D4815";

TEST(CryptoMethodsTest, DesPutsTheBlockInRespDataAndLeavesRespLength) {
    CKestrovaCtrl control;
    control.RespLength = 37;
    EXPECT_EQ(ValueOf(Call(control, "DES", {L(0), L(8), S(kKey), S(kPlain)})), L(0));
    EXPECT_EQ(ValueOf(Call(control, "GetRespData")), S(kCipher));
    EXPECT_EQ(ValueOf(Call(control, "GetRespLength")), L(37));
    EXPECT_EQ(ValueOf(Call(control, "DES", {L(1), L(8), S(u"0123456789abcdef"), S(kCipher)})),
              L(0));
    EXPECT_EQ(ValueOf(Call(control, "GetRespData")), S(kPlain));
}

TEST(CryptoMethodsTest, RoundTripForEachKeyLength) {
    CKestrovaCtrl control;
    const std::u16string key = u"0123456789ABCDEFFEDCBA987654321089ABCDEF01234567";
    for (const std::int32_t keyLength : {8, 16, 24}) {
        const std::u16string keyText = key.substr(0, static_cast<std::size_t>(2 * keyLength));
        ASSERT_EQ(
            ValueOf(Call(control, "DES", {L(0), L(keyLength), S(keyText), S(u"00112233445566ff")})),
            L(0));
        const AutomationValue encrypted = ValueOf(Call(control, "GetRespData"));
        ASSERT_TRUE(encrypted.IsBstr());
        ASSERT_EQ(ValueOf(Call(control, "DES",
                               {L(1), L(keyLength), S(keyText),
                                S(std::u16string(encrypted.AsBstr().Text()))})),
                  L(0));
        EXPECT_EQ(ValueOf(Call(control, "GetRespData")), S(u"00112233445566FF")) << keyLength;
    }
}

TEST(CryptoMethodsTest, FailuresKeepThePreviousRespData) {
    CKestrovaCtrl control;
    control.RespData = "9000";
    control.LastError = 5;
    EXPECT_EQ(ValueOf(Call(control, "DES", {L(2), L(8), S(kKey), S(kPlain)})), L(0x1001));
    EXPECT_EQ(ValueOf(Call(control, "DES", {L(0), L(12), S(kKey), S(kPlain)})), L(0x1001));
    EXPECT_EQ(ValueOf(Call(control, "DES", {L(0), L(8), S(kKey), S(u"4E6F77206973207")})),
              L(0x1002));
    EXPECT_EQ(ValueOf(Call(control, "DES", {L(0), L(8), S(kKey), S(u"4E6F77206973207-")})), L(-1));
    EXPECT_EQ(ValueOf(Call(control, "MAC", {L(8), S(kKey), Null(), L(8), S(kPlain)})), L(0x1002));
    EXPECT_EQ(
        ValueOf(Call(control, "MAC", {L(8), S(kKey), S(u"0000000000000000"), L(12), S(kPlain)})),
        L(0x1001));
    EXPECT_EQ(ValueOf(Call(control, "GetRespData")), S(u"9000"));
    EXPECT_EQ(control.LastError, 5);
}

TEST(CryptoMethodsTest, MacOfOneBlockWithZeroIcvIsItsEncryption) {
    CKestrovaCtrl control;
    control.RespLength = 2;
    EXPECT_EQ(
        ValueOf(Call(control, "MAC", {L(8), S(kKey), S(u"0000000000000000"), S(u"8"), S(kPlain)})),
        L(0));
    EXPECT_EQ(ValueOf(Call(control, "GetRespData")), S(kCipher));
    EXPECT_EQ(control.RespLength, 2);
}

}  // namespace
}  // namespace kestrova
