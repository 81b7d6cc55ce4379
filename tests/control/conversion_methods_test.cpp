#include <gtest/gtest.h>

#include <climits>

#include "control/kestrova_ctrl.h"
#include "invoke_helpers.h"

namespace kestrova {
namespace {

// Call, L, S, Null, ValueOf: calls written as a page writes them.
using namespace kestrova::testing;

AutomationValue HexToText(CKestrovaCtrl& control, std::int32_t length, std::u16string hex) {
    return ValueOf(Call(control, "ConvertHexToInt", {L(length), S(std::move(hex))}));
}

AutomationValue TextToHex(CKestrovaCtrl& control, std::int32_t length, std::u16string text) {
    return ValueOf(Call(control, "ConvertIntToHex", {L(length), S(std::move(text))}));
}

TEST(ConvertHexToIntTest, DecodesTheGivenNumberOfDigits) {
    CKestrovaCtrl control;
    EXPECT_EQ(HexToText(control, 6, u"414243"), S(u"ABC"));
    EXPECT_EQ(HexToText(control, 6, u"6a6B6c"), S(u"jkl"));
    EXPECT_EQ(HexToText(control, 4, u"414243"), S(u"AB"));
    // An odd last digit is checked but its half byte is left out.
    EXPECT_EQ(HexToText(control, 5, u"41424"), S(u"AB"));
    EXPECT_EQ(HexToText(control, 5, u"4142#"), Null());
    // X is a letter, so the digit rules accept it, even as the dropped half.
    EXPECT_EQ(HexToText(control, 5, u"4142X"), S(u"AB"));
    // Letters beyond F keep their low four bits: G reads as 0, H as 1.
    EXPECT_EQ(HexToText(control, 4, u"4G4H"), S(u"@A"));
}

TEST(ConvertHexToIntTest, StopsAtAZeroByte) {
    CKestrovaCtrl control;
    EXPECT_EQ(HexToText(control, 6, u"410042"), S(u"A"));
    EXPECT_EQ(HexToText(control, 6, u"000042"), Null());
}

TEST(ConvertHexToIntTest, RefusedCharactersAndLengthsGiveNothing) {
    CKestrovaCtrl control;
    control.LastError = 77;
    EXPECT_EQ(HexToText(control, 8, u"414243"), Null());  // the terminator is refused
    EXPECT_EQ(HexToText(control, 6, u"41 243"), Null());
    EXPECT_EQ(HexToText(control, 0, u"414243"), Null());
    EXPECT_EQ(HexToText(control, -2, u"414243"), Null());
    EXPECT_EQ(HexToText(control, INT_MAX, u"41"), Null());
    EXPECT_EQ(HexToText(control, INT_MIN, u"41"), Null());
    EXPECT_EQ(ValueOf(Call(control, "ConvertHexToInt", {L(2), Null()})), Null());
    EXPECT_EQ(control.ConvertHexToInt(2, nullptr), "");
    EXPECT_EQ(control.LastError, 77);
}

TEST(ConvertIntToHexTest, EncodesTheGivenNumberOfBytes) {
    CKestrovaCtrl control;
    EXPECT_EQ(TextToHex(control, 3, u"abc"), S(u"616263"));
    EXPECT_EQ(TextToHex(control, 2, u"abc"), S(u"6162"));
    EXPECT_EQ(TextToHex(control, 0, u"abc"), Null());
    // One past the text encodes its terminator.
    EXPECT_EQ(TextToHex(control, 4, u"abc"), S(u"61626300"));
}

TEST(ConvertIntToHexTest, NeverReadsPastTheText) {
    CKestrovaCtrl control;
    control.LastError = 77;
    EXPECT_EQ(TextToHex(control, 5, u"abc"), Null());
    EXPECT_EQ(TextToHex(control, INT_MAX, u"abc"), Null());
    EXPECT_EQ(TextToHex(control, -1, u"abc"), Null());
    EXPECT_EQ(TextToHex(control, INT_MIN, u"abc"), Null());
    EXPECT_EQ(control.ConvertIntToHex(3, nullptr), "");
    EXPECT_EQ(control.ConvertIntToHex(INT_MAX, nullptr), "");
    // The handler's own bound: a 3-byte buffer whose text is 2 bytes long.
    const char text[] = {'a', 'b', '\0'};
    EXPECT_EQ(control.ConvertIntToHex(3, text), "616200");
    EXPECT_EQ(control.ConvertIntToHex(4, text), "");
    EXPECT_EQ(control.LastError, 77);
}

TEST(ConvertIntToHexTest, BytesAboveSevenBitsComeFromTheBig5Form) {
    CKestrovaCtrl control;
    // 交 is A5 E6 in Big5; its length counts bytes, not characters.
    EXPECT_EQ(TextToHex(control, 2, u"\u4EA4"), S(u"A5E6"));
    EXPECT_EQ(TextToHex(control, 1, u"\u4EA4"), S(u"A5"));
    EXPECT_EQ(TextToHex(control, 3, u"\u4EA4"), S(u"A5E600"));
    EXPECT_EQ(TextToHex(control, 4, u"\u4EA4"), Null());
    EXPECT_EQ(HexToText(control, 4, u"A5E6"), S(u"\u4EA4"));
}

TEST(ConversionTest, HexRoundTripOfChineseText) {
    CKestrovaCtrl control;
    const std::u16string text = u"\u4EA4\u6613\u53D6\u6D88\uFF01 OK";  // 交易取消！ OK
    const AutomationValue hex = TextToHex(control, 13, text);
    ASSERT_TRUE(hex.IsBstr());
    EXPECT_EQ(hex.AsBstr().Text().size(), 26U);
    EXPECT_EQ(HexToText(control, 26, std::u16string(hex.AsBstr().Text())), S(text));
}

TEST(GetAPIVersionTest, IsOnePointZeroPointZeroPointOne) {
    CKestrovaCtrl control;
    EXPECT_EQ(ValueOf(Call(control, "GetAPIVersion")), S(u"1.0.0.1"));
}

}  // namespace
}  // namespace kestrova
