#include "host/directive_syntax.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrova::host {
namespace {

Directive Parsed(const std::string& line) {
    const ParsedDirective parsed = ParseDirectiveLine(line);
    if (const auto* error = std::get_if<DirectiveSyntaxError>(&parsed)) {
        ADD_FAILURE() << line << ": " << error->message;
        return SleepDirective{};
    }
    return std::get<Directive>(parsed);
}

std::string ErrorOf(const std::string& line) {
    const ParsedDirective parsed = ParseDirectiveLine(line);
    const auto* error = std::get_if<DirectiveSyntaxError>(&parsed);
    EXPECT_NE(error, nullptr) << line << " parsed as "
                              << FormatDirective(std::get<Directive>(parsed));
    return error != nullptr ? error->message : "";
}

TEST(DirectiveSyntaxTest, DirectiveLinesStartWithAColon) {
    EXPECT_TRUE(IsDirectiveLine(":sleep 1"));
    EXPECT_TRUE(IsDirectiveLine(" \t:card remove"));
    EXPECT_TRUE(IsDirectiveLine(":"));
    EXPECT_FALSE(IsDirectiveLine("ListReaders()"));
    EXPECT_FALSE(IsDirectiveLine("# :card remove"));
    EXPECT_FALSE(IsDirectiveLine("   "));
    EXPECT_FALSE(IsDirectiveLine(""));
}

TEST(DirectiveSyntaxTest, CardMovesWithAndWithoutTimeAndReader) {
    const auto card = [](const std::string& line) { return std::get<CardDirective>(Parsed(line)); };
    const CardDirective remove = card(":card remove");
    EXPECT_EQ(remove.move, CardMove::Remove);
    EXPECT_FALSE(remove.afterMilliseconds);
    EXPECT_EQ(remove.reader, "");

    // The reader is the rest of the line, inner blanks kept.
    const CardDirective insert = card("  :card   insert  Kestrova Virtual  Reader 0 \t");
    EXPECT_EQ(insert.move, CardMove::Insert);
    EXPECT_EQ(insert.reader, "Kestrova Virtual  Reader 0");

    const CardDirective later = card(":card remove-after 50 ACS ACR83U 00 00  # keypad");
    EXPECT_EQ(later.move, CardMove::Remove);
    EXPECT_EQ(later.afterMilliseconds, 50U);
    EXPECT_EQ(later.reader, "ACS ACR83U 00 00");

    const CardDirective back = card(":card insert-after 600000");
    EXPECT_EQ(back.move, CardMove::Insert);
    EXPECT_EQ(back.afterMilliseconds, kMaxDirectiveMilliseconds);
    EXPECT_EQ(back.reader, "");

    // '#' not after a blank is part of the name.
    EXPECT_EQ(card(":card remove Reader#2").reader, "Reader#2");
}

TEST(DirectiveSyntaxTest, SleepAndPage) {
    EXPECT_EQ(std::get<SleepDirective>(Parsed(":sleep 0")).milliseconds, 0U);
    EXPECT_EQ(std::get<SleepDirective>(Parsed(":sleep 0250 # a quarter second")).milliseconds,
              250U);

    EXPECT_EQ(std::get<PageDirective>(Parsed(":page https://bank.example/pay#card")).url,
              "https://bank.example/pay#card");
    EXPECT_EQ(std::get<PageDirective>(Parsed(":page https://bank.example/ # the shop")).url,
              "https://bank.example/");
    EXPECT_FALSE(std::get<PageDirective>(Parsed(":page")).url);
    EXPECT_FALSE(std::get<PageDirective>(Parsed(":page   # not sited")).url);
}

TEST(DirectiveSyntaxTest, BadLinesSayWhatIsWrong) {
    EXPECT_EQ(ErrorOf(":"), "a directive name must follow ':' (card, sleep or page)");
    EXPECT_EQ(ErrorOf(": card remove"), "a directive name must follow ':' (card, sleep or page)");
    EXPECT_EQ(ErrorOf(":eject"),
              "unknown directive :eject (the directives are :card, :sleep and :page)");
    EXPECT_EQ(ErrorOf(":Card remove"),
              "unknown directive :Card (the directives are :card, :sleep and :page)");
    const std::string cardWords =
        ":card takes remove, insert, remove-after or insert-after, then an optional reader";
    EXPECT_EQ(ErrorOf(":card"), cardWords);
    EXPECT_EQ(ErrorOf(":card eject"), cardWords);
    EXPECT_EQ(ErrorOf(":card removeReader"), cardWords);

    const std::string time = " needs a time in milliseconds, a whole number from 0 to 600000";
    for (const char* line :
         {":card remove-after", ":card remove-after Reader A", ":card insert-after -5 R",
          ":card insert-after 600001", ":card remove-after 1.5 R",
          ":card remove-after 99999999999999999999"}) {
        const std::string expected = std::string(line).starts_with(":card remove")
                                         ? ":card remove-after"
                                         : ":card insert-after";
        EXPECT_EQ(ErrorOf(line), expected + time) << line;
    }
    for (const char* line : {":sleep", ":sleep x", ":sleep +1", ":sleep 0x10", ":sleep 600001"}) {
        EXPECT_EQ(ErrorOf(line), ":sleep" + time) << line;
    }
    EXPECT_EQ(ErrorOf(":sleep 10 20"), "unexpected text after the time");
    EXPECT_EQ(ErrorOf(":page https://a.example/ b"), "a page address holds no blanks");
}

TEST(DirectiveSyntaxTest, FormattedDirectivesParseBackToThemselves) {
    const std::vector<std::string> lines = {
        ":card remove",
        ":card insert Reader A",
        ":card remove-after 0 R",
        ":card insert-after 75",
        ":sleep 600000",
        ":page",
        ":page https://card.kestrova.example.com/a?b=1#c",
    };
    for (const std::string& line : lines) {
        EXPECT_EQ(FormatDirective(Parsed(line)), line);
    }
    EXPECT_EQ(DirectiveText("  :card remove Reader A   # soon"), ":card remove Reader A");
}

}  // namespace
}  // namespace kestrova::host
