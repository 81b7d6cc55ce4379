#include "control/argument_conversion.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

std::variant<std::int32_t, ConversionFailure> FromText(std::u16string text) {
    return ConvertToLong(AutomationValue::String(std::move(text)));
}

AutomationErrorCode FailureOf(const std::variant<std::int32_t, ConversionFailure>& converted) {
    EXPECT_TRUE(std::holds_alternative<ConversionFailure>(converted));
    return std::get<ConversionFailure>(converted).code;
}

TEST(ArgumentConversionTest, DecimalTextBecomesALong) {
    EXPECT_EQ(std::get<std::int32_t>(FromText(u"42")), 42);
    EXPECT_EQ(std::get<std::int32_t>(FromText(u"  \t-17 \t")), -17);
    EXPECT_EQ(std::get<std::int32_t>(FromText(u"+8")), 8);
    EXPECT_EQ(std::get<std::int32_t>(FromText(u"007")), 7);
    EXPECT_EQ(std::get<std::int32_t>(FromText(u"2147483647")), 2147483647);
    EXPECT_EQ(std::get<std::int32_t>(FromText(u"-2147483648")), INT32_MIN);
    EXPECT_EQ(std::get<std::int32_t>(FromText(u"-0")), 0);
}

TEST(ArgumentConversionTest, TextThatIsNotADecimalNumberIsATypeMismatch) {
    for (const std::u16string text :
         {u"", u"   ", u"-", u"+", u"12a", u"0x10", u"1 2", u"- 5", u"+-5", u"1.5", u"1e3",
          u"\uFF11\uFF12" /* fullwidth digits */, u"99999999999999x"}) {
        EXPECT_EQ(FailureOf(FromText(text)), AutomationErrorCode::TypeMismatch);
    }
    EXPECT_EQ(FailureOf(ConvertToLong(AutomationValue::NullString())),
              AutomationErrorCode::TypeMismatch);
}

TEST(ArgumentConversionTest, NumbersBeyondThirtyTwoBitsOverflow) {
    for (const std::u16string text :
         {u"2147483648", u"-2147483649", u"4294967295", u" 99999999999999999999999999 "}) {
        EXPECT_EQ(FailureOf(FromText(text)), AutomationErrorCode::Overflow);
    }
}

TEST(ArgumentConversionTest, FailureQuotesTheTextShortened) {
    const auto converted = FromText(std::u16string(100, u'z'));
    const std::string& reason = std::get<ConversionFailure>(converted).reason;
    EXPECT_NE(reason.find("\"zzzz"), std::string::npos);
    EXPECT_NE(reason.find("...\""), std::string::npos);
    EXPECT_LT(reason.size(), 80U);
}

TEST(ArgumentConversionTest, LongBecomesItsDecimalTextAndStringsStayAsTheyAre) {
    EXPECT_EQ(ConvertToBstr(AutomationValue::Long(-2147483647 - 1)), Bstr(u"-2147483648"));
    EXPECT_EQ(ConvertToBstr(AutomationValue::Long(0)), Bstr(u"0"));
    EXPECT_TRUE(ConvertToBstr(AutomationValue::NullString()).IsNull());
    EXPECT_EQ(ConvertToBstr(AutomationValue::String(u"")), Bstr(u""));
    EXPECT_FALSE(ConvertToBstr(AutomationValue::String(u"")).IsNull());
}

}  // namespace
}  // namespace kestrova
