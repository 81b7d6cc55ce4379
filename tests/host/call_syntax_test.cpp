#include "host/call_syntax.h"

#include <gtest/gtest.h>

namespace kestrova::host {
namespace {

ParsedCall CallOf(std::string_view line) {
    const ParsedLine parsed = ParseCallLine(line);
    if (const auto* error = std::get_if<SyntaxError>(&parsed)) {
        ADD_FAILURE() << line << ": column " << error->column << ": " << error->message;
    }
    EXPECT_TRUE(std::holds_alternative<ParsedCall>(parsed)) << line;
    return std::holds_alternative<ParsedCall>(parsed) ? std::get<ParsedCall>(parsed) : ParsedCall{};
}

SyntaxError ErrorOf(std::string_view line) {
    const ParsedLine parsed = ParseCallLine(line);
    EXPECT_TRUE(std::holds_alternative<SyntaxError>(parsed)) << line;
    return std::holds_alternative<SyntaxError>(parsed) ? std::get<SyntaxError>(parsed)
                                                       : SyntaxError{};
}

AutomationValue OnlyArgument(std::string_view argument) {
    const ParsedCall call = CallOf("F(" + std::string(argument) + ")");
    EXPECT_EQ(call.arguments.size(), 1U) << argument;
    return call.arguments.empty() ? AutomationValue::Long(-99999) : call.arguments[0];
}

TEST(CallSyntaxTest, CallsWithAndWithoutArguments) {
    EXPECT_EQ(CallOf("GetAPIVersion()").methodName, "GetAPIVersion");
    EXPECT_TRUE(CallOf("GetAPIVersion()").arguments.empty());
    const ParsedCall call = CallOf("  DES ( 0 ,8,\t\"0123\" , null )  # encrypt");
    EXPECT_EQ(call.methodName, "DES");
    ASSERT_EQ(call.arguments.size(), 4U);
    EXPECT_EQ(call.arguments[0], AutomationValue::Long(0));
    EXPECT_EQ(call.arguments[1], AutomationValue::Long(8));
    EXPECT_EQ(call.arguments[2], AutomationValue::String(u"0123"));
    EXPECT_EQ(call.arguments[3], AutomationValue::NullString());
}

TEST(CallSyntaxTest, BlankAndCommentLinesHoldNoCall) {
    for (const std::string_view line : {"", "   \t", "# DES(0)", "   # indented comment"}) {
        EXPECT_TRUE(std::holds_alternative<NoCall>(ParseCallLine(line))) << line;
    }
}

TEST(CallSyntaxTest, IntegersInDecimalAndHexWithinThirtyTwoBits) {
    EXPECT_EQ(OnlyArgument("-17"), AutomationValue::Long(-17));
    EXPECT_EQ(OnlyArgument("0x1F"), AutomationValue::Long(31));
    EXPECT_EQ(OnlyArgument("0Xff"), AutomationValue::Long(255));
    EXPECT_EQ(OnlyArgument("-0x10"), AutomationValue::Long(-16));
    EXPECT_EQ(OnlyArgument("2147483647"), AutomationValue::Long(INT32_MAX));
    EXPECT_EQ(OnlyArgument("-2147483648"), AutomationValue::Long(INT32_MIN));
    EXPECT_EQ(OnlyArgument("0x7FFFFFFF"), AutomationValue::Long(INT32_MAX));
    for (const char* tooLarge :
         {"2147483648", "-2147483649", "0x80000000", "0xFFFFFFFF", "99999999999999999999999999"}) {
        EXPECT_EQ(ErrorOf("F(" + std::string(tooLarge) + ")").message,
                  "integer outside the 32-bit range");
    }
    for (const char* notANumber : {"12abc", "0x", "-", "0x1G", "1.5", "--1"}) {
        ErrorOf("F(" + std::string(notANumber) + ")");
    }
}

TEST(CallSyntaxTest, StringEscapesAndUtf8) {
    EXPECT_EQ(OnlyArgument(R"("a\"b\\c\nd\te")"), AutomationValue::String(u"a\"b\\c\nd\te"));
    // \xHH is the character U+00HH, so \xE9 is é, not the byte E9.
    EXPECT_EQ(OnlyArgument(R"("\x41\xe9\x00")"),
              AutomationValue::String(std::u16string(u"A\u00E9\0", 3)));
    EXPECT_EQ(OnlyArgument(R"("\u4EA4\ud83d\ude00\uD800")"),
              AutomationValue::String(std::u16string{u'\u4EA4', 0xD83D, 0xDE00, 0xD800}));
    EXPECT_EQ(OnlyArgument("\"交易取消！😀\""),
              AutomationValue::String(u"\u4EA4\u6613\u53D6\u6D88\uFF01\U0001F600"));
    EXPECT_EQ(OnlyArgument("\"\""), AutomationValue::String(u""));
    EXPECT_EQ(OnlyArgument("\"#,)\""), AutomationValue::String(u"#,)"));
}

TEST(CallSyntaxTest, ErrorsSayWhereAndWhy) {
    EXPECT_EQ(ErrorOf("DES(0, 8").column, 9U);
    EXPECT_EQ(ErrorOf("DES 0)").message, "expected '(' after the method name");
    EXPECT_EQ(ErrorOf("(1)").column, 1U);
    EXPECT_EQ(ErrorOf("F(1,)").column, 5U);
    EXPECT_EQ(ErrorOf("F(1 2)").column, 5U);
    EXPECT_EQ(ErrorOf("F(1) x").message, "unexpected text after the call");
    EXPECT_EQ(ErrorOf("F(\"abc)").message, "string without its closing quote");
    EXPECT_EQ(ErrorOf("F(\"abc)").column, 3U);
    EXPECT_EQ(ErrorOf(R"(F("\q"))").column, 4U);
    EXPECT_EQ(ErrorOf(R"(F("\x4"))").message, "expected 2 hex digits in the escape");
    EXPECT_EQ(ErrorOf(R"(F("\u12G4"))").message, "expected 4 hex digits in the escape");
    EXPECT_EQ(ErrorOf("F(\"\\").message, "escape at the end of the line");
    for (const char* malformed : {"\xFF", "\xC0\x80" /* overlong */, "\xE4\xBA" /* cut */,
                                  "\xF4\x90\x80\x80" /* beyond U+10FFFF */, "\x80"}) {
        EXPECT_EQ(ErrorOf("F(\"" + std::string(malformed) + "\")").message, "not UTF-8 text");
    }
    EXPECT_EQ(ErrorOf("F(\"\xED\xA0\x80\")").message, "not UTF-8 text");  // a surrogate
    EXPECT_EQ(ErrorOf("F(nullx)").message,
              "expected an integer, a string in double quotes or null");
    EXPECT_EQ(ErrorOf("F(NULL)").message, "expected an integer, a string in double quotes or null");
    EXPECT_EQ(ErrorOf("F(\"a\"").message, "expected ',' or ')' after an argument");
}

}  // namespace
}  // namespace kestrova::host
