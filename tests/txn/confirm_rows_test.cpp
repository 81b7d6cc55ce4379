// What the confirmation window shows of a record: the rows each transaction
// code selects, and the amount as it is written in them.

#include "txn/confirm_rows.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "reader/result_codes.h"
#include "txn/format_amount.h"

namespace kestrova {
namespace {

std::string Amount(std::string_view characters) {
    const auto text = FormatAmount(characters);
    return text ? std::string(text->data()) : "<refused>";
}

TEST(FormatAmountTest, ReadsHundredthsAndWritesTwoDecimals) {
    EXPECT_EQ(Amount("00000000123456"), "1234.56");
    EXPECT_EQ(Amount("00000000000005"), "0.05");
    EXPECT_EQ(Amount("00000000000000"), "0.00");
    EXPECT_EQ(Amount("00000000012345"), "123.45");
    EXPECT_EQ(Amount("99999999999999"), "999999999999.99");
    // Only the field's 14 characters count, and a zero byte ends it.
    EXPECT_EQ(Amount("00000000000001999"), "0.01");
    EXPECT_EQ(Amount(std::string_view("0000012\0"
                                      "345678",
                                      14)),
              "0.12");
}

TEST(FormatAmountTest, ReadsTheLeadingDecimalNumberAsAConversionWould) {
    EXPECT_EQ(Amount("  +12.5e2 kr"), "12.50");
    EXPECT_EQ(Amount("-0000000000100"), "-1.00");
    EXPECT_EQ(Amount("150.7"), "1.51");
    EXPECT_EQ(Amount("1e"), "0.01");    // an exponent without digits is not read
    EXPECT_EQ(Amount("12.x"), "0.12");  // a point without fraction is
    EXPECT_EQ(Amount("abc"), "0.00");   // no number at all
    EXPECT_EQ(Amount(""), "0.00");
    EXPECT_EQ(Amount("."), "0.00");
    // Not decimal numbers, although a C conversion takes them.
    EXPECT_EQ(Amount("inf"), "0.00");
    EXPECT_EQ(Amount("nan"), "0.00");
    EXPECT_EQ(Amount("0x1p8"), "0.00");
    EXPECT_EQ(Amount("1e-999"), "0.00");  // too small for a double
}

// 19 characters fit the row's 20-byte field; a longer amount is refused
// rather than cut to a different number.
TEST(FormatAmountTest, RefusesAnAmountThatDoesNotFitItsRow) {
    EXPECT_EQ(Amount("1e17"), "1000000000000000.00");
    EXPECT_EQ(Amount("-1e16"), "-100000000000000.00");
    EXPECT_EQ(Amount("1e18"), "<refused>");
    EXPECT_EQ(Amount("-1e17"), "<refused>");
    EXPECT_EQ(Amount("1e300"), "<refused>");
    EXPECT_EQ(Amount("1e999"), "<refused>");  // beyond a double
}

// Position i holds the i-th character of this alphabet (cyclic), so every
// field is a different text; the amount field holds 1234.56.
std::string Record(std::string_view code, std::size_t length = 100) {
    constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string record;
    for (std::size_t i = 0; i < length; ++i) {
        record += kAlphabet[i % kAlphabet.size()];
    }
    record.replace(0, code.size(), code);
    record.replace(4, 14, "00000000123456");
    return record.substr(0, length);
}

std::vector<std::string> Rows(std::string_view record, std::int32_t expectedResult = 0) {
    ConfirmationRows rows;
    rows.count = 99;
    EXPECT_EQ(ConfirmRows(record, rows), expectedResult) << record;
    std::vector<std::string> values;
    for (std::int32_t i = 0; i < rows.count && i < 3; ++i) {
        values.emplace_back(rows.values[static_cast<std::size_t>(i)].data());
    }
    EXPECT_EQ(values.size(), static_cast<std::size_t>(rows.count));
    return values;
}

using Values = std::vector<std::string>;

TEST(ConfirmRowsTest, EachCodeShowsItsFields) {
    EXPECT_EQ(Rows(Record("252")), (Values{"CDEFGHIJKLMNOPQR", "wxyz0123456789AB", "1234.56"}));
    EXPECT_EQ(Rows(Record("253")), (Values{"123456789ABCDEFG", "1234.56", "wxyz0"}));
    EXPECT_EQ(Rows(Record("254")), (Values{"QRSTUVWXYZabcdef", "1234.56"}));
    EXPECT_EQ(Rows(Record("256")), (Values{"wxyz0123456789AB", "1234.56"}));
    EXPECT_EQ(Rows(Record("251")), (Values{"wxyz0123456789AB", "1234.56"}));
    EXPECT_EQ(Rows(Record("258")), (Values{"1234.56"}));
    EXPECT_EQ(Rows(Record("MV20")), (Values{"wxyz0123456789AB", "1234.56"}));
    EXPECT_EQ(Rows(Record("FX01")), (Values{"1234.56"}));
    // The code is compared over its own length only.
    EXPECT_EQ(Rows(Record("2529")), (Values{"CDEFGHIJKLMNOPQR", "wxyz0123456789AB", "1234.56"}));
}

TEST(ConfirmRowsTest, OtherCodesNeedNoWindow) {
    for (const char* code : {"999", "255", "25", "mv20", "FX02", "MV2", " 252", ""}) {
        EXPECT_EQ(Rows(Record(code)), Values{}) << code;
    }
    EXPECT_EQ(Rows(""), Values{});
    EXPECT_EQ(Rows("99"), Values{});
}

// A record must hold every field its code shows; the rows are never read
// from beyond it.
TEST(ConfirmRowsTest, RefusesARecordShorterThanItsFields) {
    const struct {
        const char* code;
        std::size_t shortest;
    } needs[] = {{"252", 80}, {"253", 69}, {"254", 94},  {"256", 64},
                 {"251", 64}, {"258", 18}, {"MV20", 64}, {"FX01", 18}};
    for (const auto& need : needs) {
        EXPECT_FALSE(Rows(Record(need.code, need.shortest)).empty()) << need.code;
        EXPECT_EQ(Rows(Record(need.code, need.shortest - 1), kResultWrongLength), Values{})
            << need.code;
    }
    EXPECT_EQ(Rows("FX01", kResultWrongLength), Values{});
}

TEST(ConfirmRowsTest, FieldsAreTextUpToAZeroByteAndAmountsMustFit) {
    std::string record = Record("256");
    record[52] = '\0';
    EXPECT_EQ(Rows(record), (Values{"wxyz", "1234.56"}));
    record = Record("258");
    record.replace(4, 14, "1e18          ");
    EXPECT_EQ(Rows(record, kResultWrongLength), Values{});
}

}  // namespace
}  // namespace kestrova
