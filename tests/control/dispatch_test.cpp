#include "control/dispatch.h"

#include <gtest/gtest.h>

#include "control/method_table.h"
#include "invoke_helpers.h"

namespace kestrova {
namespace {

// Call, L, S, Null, ValueOf: calls written as a page writes them.
using namespace kestrova::testing;

AutomationErrorCode ErrorOf(const InvokeResult& result) {
    EXPECT_FALSE(result.Succeeded());
    return result.Succeeded() ? AutomationErrorCode{} : result.Error().code;
}

TEST(DispatchTest, NamesAreFoundIgnoringCase) {
    CKestrovaCtrl control;
    EXPECT_EQ(ValueOf(Call(control, "getapiversion")), S(u"1.0.0.1"));
    EXPECT_EQ(ValueOf(Call(control, "GETAPIVERSION")), S(u"1.0.0.1"));
    EXPECT_EQ(ErrorOf(Call(control, "GetAPIVersionX")), AutomationErrorCode::UnknownName);
    EXPECT_EQ(ErrorOf(Call(control, "")), AutomationErrorCode::UnknownName);
    // The names are stored misspelt; the correct spelling is not a method.
    EXPECT_EQ(ErrorOf(Call(control, "FiscSVCReversal")), AutomationErrorCode::UnknownName);
    // Found, and refused: the control serves no page.
    EXPECT_EQ(ValueOf(Call(control, "fiscsvcreserval")), L(-1));
}

TEST(DispatchTest, WrongArgumentCountIsAnAutomationErrorNamingTheParameters) {
    CKestrovaCtrl control;
    const InvokeResult tooFew = Call(control, "DES", {L(0), L(8), S(u"0123456789ABCDEF")});
    EXPECT_EQ(ErrorOf(tooFew), AutomationErrorCode::BadParamCount);
    EXPECT_EQ(
        tooFew.Error().message,
        "DES takes 4 arguments (long Opflag, long KeyLen, BSTR KeyVal, BSTR inData), 3 given");
    EXPECT_EQ(ErrorOf(Call(control, "GetAPIVersion", {L(1)})), AutomationErrorCode::BadParamCount);
    // Methods without effect accept exactly their listed arguments, no fewer.
    EXPECT_EQ(ErrorOf(Call(control, "LoginAuthen", {Null(), Null(), Null()})),
              AutomationErrorCode::BadParamCount);
}

TEST(DispatchTest, StringsForLongParametersAreReadAsDecimalNumbers) {
    CKestrovaCtrl control;
    EXPECT_EQ(ValueOf(Call(control, "ConvertIntToHex", {S(u" 3 "), S(u"abc")})), S(u"616263"));
    EXPECT_EQ(ValueOf(Call(control, "GetWinscardProperty", {S(u"-1")})), Null());

    const InvokeResult mismatch = Call(control, "ConvertIntToHex", {S(u"three"), S(u"abc")});
    EXPECT_EQ(ErrorOf(mismatch), AutomationErrorCode::TypeMismatch);
    EXPECT_NE(mismatch.Error().message.find("argument 1 (long inLength) of ConvertIntToHex"),
              std::string::npos);
    EXPECT_EQ(ErrorOf(Call(control, "ConvertIntToHex", {Null(), S(u"abc")})),
              AutomationErrorCode::TypeMismatch);
    const InvokeResult overflow =
        Call(control, "MAC", {L(8), S(u""), S(u""), S(u"4294967296"), S(u"")});
    EXPECT_EQ(ErrorOf(overflow), AutomationErrorCode::Overflow);
    EXPECT_NE(overflow.Error().message.find("argument 4 (long inLen)"), std::string::npos);
}

TEST(DispatchTest, NumbersForBstrParametersBecomeTheirDecimalText) {
    CKestrovaCtrl control;
    EXPECT_EQ(ValueOf(Call(control, "ConvertIntToHex", {L(3), L(-12)})), S(u"2D3132"));
    EXPECT_EQ(ValueOf(Call(control, "ConvertHexToInt", {L(4), L(4142)})), S(u"AB"));
}

TEST(DispatchTest, NullBstrReachesTheHandlerAsAnEmptyString) {
    CKestrovaCtrl control;
    // An absent text would give 4099; an empty one has the wrong length.
    EXPECT_EQ(ValueOf(Call(control, "DES", {L(0), L(8), Null(), S(u"0000000000000000")})),
              L(0x1002));
    // The terminator of the empty string is encoded, nothing more is read.
    EXPECT_EQ(ValueOf(Call(control, "ConvertIntToHex", {L(1), Null()})), S(u"00"));
}

TEST(DispatchTest, StringsCrossTheBoundaryInCodePage950) {
    CKestrovaCtrl control;
    const std::u16string cancelled = u"\u4EA4\u6613\u53D6\u6D88\uFF01";  // 交易取消！
    EXPECT_EQ(ValueOf(Call(control, "ConvertIntToHex", {L(10), S(cancelled)})),
              S(u"A5E6A9F6A8FAAEF8A149"));
    EXPECT_EQ(ValueOf(Call(control, "ConvertHexToInt", {L(20), S(u"a5e6a9f6a8faaef8a149")})),
              S(cancelled));
    // A character Big5 lacks arrives as '?'; a byte that decodes to nothing
    // comes back as U+FFFD.
    EXPECT_EQ(ValueOf(Call(control, "ConvertIntToHex", {L(3), S(u"a\U0001F600b")})), S(u"613F62"));
    EXPECT_EQ(ValueOf(Call(control, "ConvertHexToInt", {L(6), S(u"41FF42")})), S(u"A\uFFFDB"));
    // A UTF-16 zero ends the text the handler sees.
    EXPECT_EQ(ValueOf(Call(control, "ConvertIntToHex", {L(3), S(std::u16string(u"ab\0c", 4))})),
              S(u"616200"));
}

TEST(DispatchTest, EmptyStringResultsAreNullBstrs) {
    CKestrovaCtrl control;
    const AutomationValue data = ValueOf(Call(control, "GetRespData"));
    ASSERT_TRUE(data.IsBstr());
    EXPECT_TRUE(data.AsBstr().IsNull());
    EXPECT_TRUE(ValueOf(Call(control, "ConvertHexToInt", {L(2), S(u"00")})).AsBstr().IsNull());
}

// Every method of the interface does its work: none is left without a
// handler.
TEST(DispatchTest, EveryMethodHasAHandler) {
    for (const MethodInfo& method : MethodTable()) {
        EXPECT_NE(method.handler, nullptr) << method.name;
    }
}

// The arguments are checked first, as the platform checks them before any
// method runs.
TEST(DispatchTest, ArgumentsAreCheckedBeforeTheMethodRuns) {
    CKestrovaCtrl control;
    EXPECT_EQ(ErrorOf(Call(control, "ConnectCard")), AutomationErrorCode::BadParamCount);
    EXPECT_EQ(ErrorOf(Call(control, "FiscReadRecord", {S(u"x")})),
              AutomationErrorCode::TypeMismatch);
    EXPECT_EQ(
        ErrorOf(Call(control, "FiscWriteRecordWithSNUMTAC", {S(u"1003"), S(u"one"), S(u"41")})),
        AutomationErrorCode::TypeMismatch);
}

}  // namespace
}  // namespace kestrova
