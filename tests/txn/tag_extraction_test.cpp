#include "txn/tag_extraction.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrova {
namespace {

std::string Extract(std::string_view message, int n, TagText text = {}) {
    const std::string open = "<Tag" + std::to_string(n) + ">";
    const std::string close = "</Tag" + std::to_string(n) + ">";
    ExtractTag(message, open, close, text);
    return text.data();
}

TEST(ExtractTag, TakesTheTextBetweenTagsOfAnyLetterCase) {
    EXPECT_EQ(Extract("a<Tag3>three</Tag3>b", 3), "three");
    EXPECT_EQ(Extract("<tAG3>three</tag3>", 3), "three");
    EXPECT_EQ(Extract("<Tag3></Tag3>", 3), "");
    // Tag1 is not the start of Tag10, nor the other way round.
    EXPECT_EQ(Extract("<Tag10>ten</Tag10>", 1), "");
    EXPECT_EQ(Extract("<Tag1>one</Tag1><Tag10>ten</Tag10>", 10), "ten");
    // Big5 texts pass through byte for byte.
    EXPECT_EQ(Extract("<Tag6>\xA5\xE6\xA9\xF6</Tag6>", 6), "\xA5\xE6\xA9\xF6");
}

TEST(ExtractTag, AnOpeningTagWithoutItsClosingTagGivesNothing) {
    EXPECT_EQ(Extract("<Tag4>never closed", 4), "");
    EXPECT_EQ(Extract("<Tag4>closed by another</Tag5>", 4), "");
    EXPECT_EQ(Extract("<Tag4>cut short</Tag", 4), "");
    // The unclosed tag ends the scan: a later complete item is not reached.
    EXPECT_EQ(Extract("<Tag4>open <Tag4>late</Tag4", 4), "");
    EXPECT_EQ(Extract("no tags at all", 4), "");
    EXPECT_EQ(Extract("", 4), "");
}

TEST(ExtractTag, TextsLongerThanTheFieldAreCutAt127Bytes) {
    const std::string text127(127, 'x');
    EXPECT_EQ(Extract("<Tag2>" + text127 + "</Tag2>", 2), text127);
    EXPECT_EQ(Extract("<Tag2>" + text127 + "yz</Tag2>", 2), text127);
    EXPECT_EQ(Extract("<Tag2>" + std::string(5000, 'q') + "</Tag2>", 2), std::string(127, 'q'));

    // 63 double-byte characters fill 126 bytes; the 64th would be cut in half.
    std::string big5;
    for (int i = 0; i < 70; ++i) {
        big5 += "\xA5\xE6";  // 交
    }
    EXPECT_EQ(Extract("<Tag4>" + big5 + "</Tag4>", 4), big5.substr(0, 126));
    EXPECT_EQ(Extract("<Tag4>x" + big5 + "</Tag4>", 4), "x" + big5.substr(0, 126));
}

TEST(ExtractTag, ARepeatedTagReplacesTheEarlierTextWhole) {
    EXPECT_EQ(Extract("<Tag5>a long first text</Tag5> <TAG5>b</TAG5>", 5), "b");
    EXPECT_EQ(Extract("<Tag5>first</Tag5><Tag5>unclosed", 5), "first");
    // Whatever the field held before a found item is gone; without one it
    // stays (the dialog's fields start zero-filled).
    TagText before{};
    before.fill('z');
    before.back() = '\0';
    EXPECT_EQ(Extract("<Tag5>new</Tag5>", 5, before), "new");
}

}  // namespace
}  // namespace kestrova
