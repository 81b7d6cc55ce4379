#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <tuple>

#include "control/hosting_page_check.h"
#include "control/kestrova_ctrl.h"
#include "control/method_table.h"
#include "invoke_helpers.h"
#include "platform/code_page.h"
#include "platform/hosting_page.h"

namespace kestrova {
namespace {

// Call, L, S, Null, ValueOf: calls written as a page writes them.
using namespace kestrova::testing;

void SetReaderName(CKestrovaCtrl& control, std::size_t index, const std::string& name) {
    auto& entry = control.ReaderNames[index];
    entry.fill('\0');
    std::memcpy(entry.data(), name.data(), std::min(name.size(), entry.size()));
}

// Results as a transaction leaves them.
void FillResults(CKestrovaCtrl& control) {
    control.CurrentSlot = 3;
    control.ReaderCount = 2;
    SetReaderName(control, 0, "Reader A");
    SetReaderName(control, 1, "Reader B");
    control.CardStatus = "3B6800000073C84013009000";
    control.EF1001List[0] = "0012345678901234";
    control.EF1001List[9] = "9";
    control.EF1001Count = 1;
    control.EF1002List[0] = "001234567890123456789012";
    control.EF1002Count = 1;
    control.RespData = "9000";
    control.RespLength = 2;
    control.LastError = 0x6A82;
    control.LastResultCode = 0x1201;
    control.RespSNUM = "00000001";
    control.RespTAC = "0102030405060708";
    control.TransactionIssuer = "\xA5\xE6";  // Big5
    control.TransactionRemark = "remark";
    control.TransactionAccount = "0012345678901234";
    control.WinscardInfo = {"1.0.0.1", "Company", "Description"};
    static const char host0[] = "192.0.2.1";
    static const char host1[] = "www.bank.example.tw";
    control.AllowedHosts = {host0, host1};
}

// Copies of every field, so that the control itself need not be copyable.
auto AllFields(const CKestrovaCtrl& c) {
    return std::make_tuple(c.CurrentSlot, c.ReaderCount, c.ReaderNames, c.CardStatus, c.EF1001List,
                           c.EF1001Count, c.EF1002List, c.EF1002Count, c.RespData, c.RespLength,
                           c.LastError, c.LastResultCode, c.RespSNUM, c.RespTAC,
                           c.TransactionIssuer, c.TransactionRemark, c.TransactionAccount,
                           c.WinscardInfo, c.AllowedHosts);
}

TEST(ControlStateTest, NewControlHasNoResults) {
    CKestrovaCtrl control;
    EXPECT_EQ(ValueOf(Call(control, "GetReaderNumber")), L(-1));
    EXPECT_EQ(ValueOf(Call(control, "GetLastError")), L(0));
    EXPECT_EQ(ValueOf(Call(control, "GetRespLength")), L(0));
    EXPECT_EQ(ValueOf(Call(control, "GetEF1001TotalAccounts")), L(-1));
    EXPECT_EQ(ValueOf(Call(control, "GetEF1002TotalAccounts")), L(-1));
    for (const char* getter :
         {"GetCardStatus", "GetRespData", "GetRespSNUM", "GetRespTAC", "GetTransactionIssuer",
          "GetTransactionRemark", "GetTransactionAccount"}) {
        EXPECT_EQ(ValueOf(Call(control, getter)), Null()) << getter;
    }
    EXPECT_EQ(control.CurrentSlot, 0);
    EXPECT_EQ(control.LastResultCode, 0);
    for (const auto& entry : control.ReaderNames) {
        EXPECT_TRUE(std::all_of(entry.begin(), entry.end(), [](char c) { return c == '\0'; }));
    }
    EXPECT_EQ(control.AllowedHosts[0], nullptr);
    EXPECT_EQ(control.AllowedHosts[1], nullptr);
}

TEST(ControlStateTest, GettersReturnTheFieldsThroughCodePage950) {
    CKestrovaCtrl control;
    FillResults(control);
    EXPECT_EQ(ValueOf(Call(control, "GetReaderNumber")), L(2));
    EXPECT_EQ(ValueOf(Call(control, "GetCardStatus")), S(u"3B6800000073C84013009000"));
    EXPECT_EQ(ValueOf(Call(control, "GetEF1001TotalAccounts")), L(1));
    EXPECT_EQ(ValueOf(Call(control, "GetRespData")), S(u"9000"));
    EXPECT_EQ(ValueOf(Call(control, "GetRespLength")), L(2));
    EXPECT_EQ(ValueOf(Call(control, "GetLastError")), L(0x6A82));
    EXPECT_EQ(ValueOf(Call(control, "GetRespSNUM")), S(u"00000001"));
    EXPECT_EQ(ValueOf(Call(control, "GetRespTAC")), S(u"0102030405060708"));
    EXPECT_EQ(ValueOf(Call(control, "GetTransactionIssuer")), S(u"\u4EA4"));
    EXPECT_EQ(ValueOf(Call(control, "GetTransactionAccount")), S(u"0012345678901234"));
    // These four have nothing to say, whatever the control holds.
    for (const char* getter :
         {"GetRespDateTime", "GetEncryptAcqData", "GetSha1AcqData", "GetSessionKeyHash"}) {
        EXPECT_EQ(ValueOf(Call(control, getter)), Null()) << getter;
    }
}

TEST(ControlStateTest, ResetResultsClearsTheCardResultsOnly) {
    CKestrovaCtrl control;
    FillResults(control);
    control.ResetResults();

    EXPECT_EQ(control.EF1001Count, 0);
    EXPECT_EQ(control.EF1002Count, 0);
    EXPECT_EQ(control.LastResultCode, 0);
    EXPECT_EQ(control.LastError, 0);
    EXPECT_EQ(control.RespLength, 0);
    EXPECT_EQ(control.CardStatus, "");
    EXPECT_EQ(control.RespData, "");
    EXPECT_EQ(control.RespSNUM, "");
    EXPECT_EQ(control.RespTAC, "");
    EXPECT_EQ(control.EF1001List, AccountList{});
    EXPECT_EQ(control.EF1002List, AccountList{});

    EXPECT_EQ(control.CurrentSlot, 3);
    EXPECT_EQ(control.ReaderCount, 2);
    EXPECT_EQ(ValueOf(Call(control, "GetReaderName", {L(1)})), S(u"Reader B"));
    EXPECT_EQ(control.TransactionIssuer, "\xA5\xE6");
    EXPECT_EQ(control.TransactionRemark, "remark");
    EXPECT_EQ(control.TransactionAccount, "0012345678901234");
    EXPECT_EQ(control.WinscardInfo[2], "Description");
    EXPECT_STREQ(control.AllowedHosts[1], "www.bank.example.tw");
}

TEST(ControlStateTest, GetReaderNameReadsTheListedEntriesAndFlagsOthers) {
    CKestrovaCtrl control;
    FillResults(control);
    control.LastError = 0;
    control.ReaderCount = 1;
    EXPECT_EQ(ValueOf(Call(control, "GetReaderName", {L(0)})), S(u"Reader A"));
    EXPECT_EQ(control.LastError, 0);
    EXPECT_EQ(ValueOf(Call(control, "GetReaderName", {L(1)})), Null());
    EXPECT_EQ(ValueOf(Call(control, "GetLastError")), L(4353));

    control.LastError = 0;
    EXPECT_EQ(ValueOf(Call(control, "GetReaderName", {L(-1)})), Null());
    EXPECT_EQ(control.LastError, 4353);

    // A name of exactly 64 characters fills its entry without a terminator.
    const std::string longest(64, 'R');
    SetReaderName(control, 15, longest);
    control.ReaderCount = 16;
    EXPECT_EQ(ValueOf(Call(control, "GetReaderName", {L(15)})), S(std::u16string(64, u'R')));
    EXPECT_EQ(ValueOf(Call(control, "GetReaderName", {L(16)})), Null());
    // A count beyond the table (never set by the reader layer) is not trusted.
    control.ReaderCount = 100;
    EXPECT_EQ(ValueOf(Call(control, "GetReaderName", {L(16)})), Null());
}

TEST(ControlStateTest, GetWinscardPropertyPicksAnEntryForEveryListNo) {
    CKestrovaCtrl control;
    FillResults(control);
    EXPECT_EQ(ValueOf(Call(control, "GetWinscardProperty", {L(0)})), S(u"1.0.0.1"));
    EXPECT_EQ(ValueOf(Call(control, "GetWinscardProperty", {L(1)})), S(u"Company"));
    for (const std::int32_t listNo : {2, -1, 7, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(ValueOf(Call(control, "GetWinscardProperty", {L(listNo)})), S(u"Description"))
            << listNo;
    }
}

TEST(ControlStateTest, MethodsWithoutEffectReturnZeroAndChangeNothing) {
    const std::set<std::int32_t> expected = {27, 28, 29, 39, 40, 41, 42, 43, 44, 45,
                                             46, 47, 48, 49, 50, 59, 60, 61, 62, 63,
                                             64, 65, 66, 67, 69, 70, 78, 79};
    std::set<std::int32_t> found;
    // On an allowed page; those that need one share one handler, the open
    // ones another.
    const platform::StatedHostingPage page(
        u"https://" + platform::AnsiToUtf16(kConfiguredAllowedHosts[0]) + u"/");
    CKestrovaCtrl control;
    control.SetClientSite(&page, nullptr);
    FillResults(control);
    control.AllowedHosts = kConfiguredAllowedHosts;  // where the check puts them
    const auto before = AllFields(control);
    for (const MethodInfo& method : MethodTable()) {
        if (method.handler != FindMethod("LoginAuthen")->handler &&
            method.handler != FindMethod("VerifySessionKeyHash")->handler) {
            continue;
        }
        found.insert(method.dispid);
        for (const bool nulls : {true, false}) {
            std::vector<AutomationValue> arguments;
            for (const ParameterInfo& parameter : method.Parameters()) {
                if (parameter.type == AutomationType::Long) {
                    arguments.push_back(nulls ? L(INT32_MIN) : S(u"-1"));
                } else {
                    arguments.push_back(nulls ? Null() : S(u"\u4EA4 junk \U0001F600"));
                }
            }
            EXPECT_EQ(ValueOf(InvokeMethod(control, method, arguments)), L(0)) << method.name;
        }
    }
    EXPECT_EQ(found, expected);
    EXPECT_TRUE(AllFields(control) == before);
}

}  // namespace
}  // namespace kestrova
