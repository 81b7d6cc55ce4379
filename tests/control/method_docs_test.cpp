// What a page's developer reads about each method (kestrova.d.ts,
// docs/reference.md, `kestrova methods --long`): a description for every
// method and parameter, and the codes each method returns as the result-code
// registry lists them.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "control/method_codes.h"
#include "control/method_table.h"

namespace kestrova {
namespace {

// Text that goes into a comment of the declaration and a Markdown table.
void ExpectUsableText(std::string_view text) {
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find("*/"), std::string_view::npos) << text;
    EXPECT_EQ(text.find('|'), std::string_view::npos) << text;
    EXPECT_EQ(text.find('\n'), std::string_view::npos) << text;
}

TEST(MethodDocsTest, EveryMethodAndParameterIsDescribed) {
    for (const MethodInfo& method : MethodTable()) {
        SCOPED_TRACE(std::string(method.name));
        ExpectUsableText(method.description);
        for (const ParameterInfo& parameter : method.Parameters()) {
            SCOPED_TRACE(std::string(parameter.name));
            ExpectUsableText(parameter.meaning);
        }
    }
}

TEST(MethodDocsTest, TheRegistryNamesOnlyMethodsOfTheTableAndItsGroups) {
    std::string unknown;
    for (std::string_view name : UnknownNamesInResultCodes()) {
        unknown += std::string(name) + ";";
    }
    EXPECT_EQ(unknown, "");
}

TEST(MethodDocsTest, EachMethodsCodesAreThoseTheRegistryListsForIt) {
    const struct {
        std::string_view method;
        std::string_view code;
        bool returned;
    } cases[] = {
        {"FiscReadRecord", "RecordNumberOutOfRange", true},                // by its name
        {"WriteRecordWithSNUMTACProcEx2", "TransactionCancelled", true},   // through its group
        {"WriteRecordWithSNUMTACProcEx3", "TransactionCancelled", false},  // does nothing
        {"AccountInquiryEx2", "Failure", true},  // refused page, needing an allowed one
        {"DESEncipher", "Failure", false},       // serves every page
        {"DES", "Success", true},
        {"GetRespLength", "Success", false},  // a value, never a code
        {"GetIssuerBank", "Success", false},  // its text; a failure's code in GetLastError
        {"VerifyPIN", "PinBlocked", true},
        {"GetReaderStatus", "BadAttributeIndex", true},
        {"FiscReadRecord", "BadAttributeIndex", false},  // 0x1001 too, another meaning
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.method) + " " + std::string(c.code));
        const MethodInfo* method = FindMethod(c.method);
        ASSERT_NE(method, nullptr);
        const auto codes = ResultCodesOf(*method);
        EXPECT_EQ(std::ranges::count(codes, c.code, &ResultCodeInfo::name), c.returned ? 1 : 0);
    }
}

}  // namespace
}  // namespace kestrova
