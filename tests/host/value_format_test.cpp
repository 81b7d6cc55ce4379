#include "host/value_format.h"

#include <gtest/gtest.h>

#include <vector>

#include "control/method_table.h"
#include "host/call_syntax.h"

namespace kestrova::host {
namespace {

AutomationValue S(std::u16string text) {
    return AutomationValue::String(std::move(text));
}

TEST(ValueFormatTest, ValuesInTheCallSyntax) {
    EXPECT_EQ(FormatValue(AutomationValue::Long(-5)), "-5");
    EXPECT_EQ(FormatValue(AutomationValue::NullString()), "null");
    EXPECT_EQ(FormatValue(S(u"")), "\"\"");
    EXPECT_EQ(FormatValue(S(u"a\"b\\c\nd\te")), R"("a\"b\\c\nd\te")");
    EXPECT_EQ(FormatValue(S(std::u16string(u"\0\x1F\x7F\x80", 4))), R"("\x00\x1F\x7F\x80")");
    EXPECT_EQ(FormatValue(S(u"\u4EA4\uFFFD\U0001F600")), "\"交\xEF\xBF\xBD😀\"");
    EXPECT_EQ(FormatValue(S(std::u16string{0xDC00, u'a', 0xD800})), R"("\uDC00a\uD800")");
}

TEST(ValueFormatTest, PrintedStringsReadBackUnchanged) {
    const std::vector<std::u16string> texts = {u"plain",
                                               u"\"quoted\" \\ back",
                                               std::u16string(u"\0\r\n\t\x1B\x7F\x9F\xA0", 8),
                                               u"\u4EA4\u6613\u53D6\u6D88\uFF01",
                                               std::u16string{0xD83D},
                                               std::u16string{0xDE00, 0xD83D},
                                               u"\U0001F600#,)"};
    for (const std::u16string& text : texts) {
        const std::string line = "F(" + FormatValue(S(text)) + ")";
        const ParsedLine parsed = ParseCallLine(line);
        ASSERT_TRUE(std::holds_alternative<ParsedCall>(parsed)) << line;
        EXPECT_EQ(std::get<ParsedCall>(parsed).arguments.at(0), S(text)) << line;
    }
}

TEST(ValueFormatTest, CallLineAndJsonLine) {
    const std::vector<AutomationValue> arguments = {AutomationValue::Long(0), S(u"\u4EA4\n"),
                                                    AutomationValue::NullString()};
    EXPECT_EQ(FormatCall("DES", arguments, AutomationValue::Long(4098)),
              "DES(0, \"交\\n\", null) -> 4098");
    EXPECT_EQ(FormatCallJson("DES", arguments, AutomationValue::Long(0)),
              "{\"call\": \"DES\", \"args\": [0, \"交\\n\", null], \"result\": 0}");
    EXPECT_EQ(FormatCallJson("GetRespData", {}, AutomationValue::NullString()),
              "{\"call\": \"GetRespData\", \"args\": [], \"result\": null}");
    // JSON has no \x escape.
    EXPECT_EQ(FormatCallJson("F", {}, S(std::u16string(u"\x01\x7F\"", 3))),
              "{\"call\": \"F\", \"args\": [], \"result\": \"\\u0001\\u007F\\\"\"}");
    EXPECT_EQ(FormatCall("GetAPIVersion", {}, S(u"1.0.0.1")), "GetAPIVersion() -> \"1.0.0.1\"");
}

TEST(ValueFormatTest, SignaturesComeFromTheTable) {
    EXPECT_EQ(FormatSignature(*FindMethod("GetReaderName")), "BSTR GetReaderName(long Offset)");
    EXPECT_EQ(FormatSignature(*FindMethod("GetAPIVersion")), "BSTR GetAPIVersion()");
    EXPECT_EQ(FormatSignature(*FindMethod("LoginAuthen")),
              "long LoginAuthen(BSTR KauthSesssion, BSTR SHA1_SessionKey, BSTR KsessionTxnData, "
              "BSTR KauthReaderData)");
}

}  // namespace
}  // namespace kestrova::host
