#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrova::platform {
namespace {

// "交易取消！" and its Big5 bytes.
const std::u16string kCancelled = u"\u4EA4\u6613\u53D6\u6D88\uFF01";
const std::string kCancelledBig5 = "\xA5\xE6\xA9\xF6\xA8\xFA\xAE\xF8\xA1\x49";

TEST(CodePageTest, ChineseTextRoundTripsThroughBig5) {
    EXPECT_EQ(Utf16ToAnsi(kCancelled), kCancelledBig5);
    EXPECT_EQ(AnsiToUtf16(kCancelledBig5), kCancelled);
    // The warning caption and the text of a refused page mix ASCII and Big5.
    const std::u16string refused = u"\u975E\u6CD5\u5B58\u53D6\uFF01 \u4EA4\u6613\u53D6\u6D88\uFF01";
    EXPECT_EQ(AnsiToUtf16(Utf16ToAnsi(refused)), refused);
}

TEST(CodePageTest, AsciiAndEmbeddedZeroPassUnchanged) {
    const std::u16string wide(u"A\0z~", 4);
    const std::string ansi("A\0z~", 4);
    EXPECT_EQ(Utf16ToAnsi(wide), ansi);
    EXPECT_EQ(AnsiToUtf16(ansi), wide);
    EXPECT_EQ(Utf16ToAnsi(u""), "");
    EXPECT_EQ(AnsiToUtf16(""), u"");
}

TEST(CodePageTest, CharactersBig5LacksBecomeOneQuestionMarkEach) {
    // Thai, an emoji written as a surrogate pair, and Arabic between Big5 text.
    EXPECT_EQ(Utf16ToAnsi(u"a\u0E01b\U0001F600c\u0627\u4EA4"), "a?b?c?\xA5\xE6");
}

TEST(CodePageTest, LoneSurrogatesBecomeQuestionMarks) {
    EXPECT_EQ(Utf16ToAnsi(std::u16string{u'x', char16_t{0xD800}, u'y'}), "x?y");
    EXPECT_EQ(Utf16ToAnsi(std::u16string{char16_t{0xDC00}, u'y'}), "?y");
    EXPECT_EQ(Utf16ToAnsi(std::u16string{u'x', char16_t{0xDBFF}}), "x?");
}

TEST(CodePageTest, UndecodableBytesBecomeOneReplacementEach) {
    // 0xFF starts nothing; 0xA4 0x20 is a lead byte with a trail byte out of
    // range, so the space survives; a lead byte at the end is incomplete.
    EXPECT_EQ(AnsiToUtf16("a\xFF"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(AnsiToUtf16("\xA4 x"), u"\uFFFD x");
    EXPECT_EQ(AnsiToUtf16("x\xA5"), u"x\uFFFD");
    EXPECT_EQ(AnsiToUtf16("\xFF\xFF\xA5\xE6"), u"\uFFFD\uFFFD\u4EA4");
}

TEST(CodePageTest, EveryTwoByteSequenceDecodesToTextThatEncodesBack) {
    // Big5 has a few duplicate codes (0xA2CC and 0xA451 are both U+5341), so
    // the bytes may differ; the text must survive a second trip unchanged.
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const std::u16string wide = AnsiToUtf16(bytes);
            ASSERT_FALSE(wide.empty());
            ASSERT_LE(wide.size(), 2U);
            if (wide.find(u'\uFFFD') == std::u16string::npos) {
                const std::string back = Utf16ToAnsi(wide);
                EXPECT_LE(back.size(), 2U);
                EXPECT_EQ(AnsiToUtf16(back), wide) << std::hex << lead << ' ' << trail;
            }
        }
    }
    EXPECT_EQ(AnsiToUtf16("\xA2\xCC"), AnsiToUtf16("\xA4\x51"));
}

}  // namespace
}  // namespace kestrova::platform
