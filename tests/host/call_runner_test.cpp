#include "host/call_runner.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kestrova::host {
namespace {

struct RunOutput {
    int status;
    std::string out;
    std::string err;
};

RunOutput RunLines(const std::string& input, bool json = false, bool interactive = false) {
    CKestrovaCtrl control;
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const RunSettings settings{"calls.txt", json, interactive};
    const int status = RunCalls(control, in, out, err, settings);
    return {status, out.str(), err.str()};
}

TEST(CallRunnerTest, PrintsEachCallWithItsResultOnOneControl) {
    const RunOutput run = RunLines(
        "# a comment\n"
        "\n"
        "des(0, 8, \"0123456789ABCDEF\", \"4E6F772069732074\")\n"
        "GetRespData()\n"
        "GetRespLength()\n");
    EXPECT_EQ(run.status, kExitSuccess);
    EXPECT_EQ(run.out,
              "DES(0, 8, \"0123456789ABCDEF\", \"4E6F772069732074\") -> 0\n"
              "GetRespData() -> \"3FA40E8A984D4815\"\n"
              "GetRespLength() -> 0\n");
    EXPECT_EQ(run.err, "");
}

TEST(CallRunnerTest, JsonLines) {
    const RunOutput run = RunLines("ConvertIntToHex(\"2\", 12)\nGetCardStatus()\n", true);
    EXPECT_EQ(run.status, kExitSuccess);
    EXPECT_EQ(run.out,
              "{\"call\": \"ConvertIntToHex\", \"args\": [\"2\", 12], \"result\": \"3132\"}\n"
              "{\"call\": \"GetCardStatus\", \"args\": [], \"result\": null}\n");
}

TEST(CallRunnerTest, StopsAtTheFirstErrorNamingFileAndLine) {
    const RunOutput syntax = RunLines("GetAPIVersion()\nGetAPIVersion(\nGetAPIVersion()\n");
    EXPECT_EQ(syntax.status, kExitFailure);
    EXPECT_EQ(syntax.out, "GetAPIVersion() -> \"1.0.0.1\"\n");
    EXPECT_EQ(syntax.err, "calls.txt:2:15: syntax error: expected an argument\n");

    const RunOutput count = RunLines("\n\nGetAPIVersion(1)\nGetAPIVersion()\n");
    EXPECT_EQ(count.status, kExitFailure);
    EXPECT_EQ(count.out, "");
    EXPECT_EQ(count.err,
              "calls.txt:3: automation error 0x8002000E: GetAPIVersion takes 0 arguments (), 1 "
              "given\n");

    const RunOutput unknown = RunLines("Nope()\n");
    EXPECT_EQ(unknown.err, "calls.txt:1: automation error 0x80020006: unknown method \"Nope\"\n");
}

TEST(CallRunnerTest, ResultCodesOfMethodsAreNotErrors) {
    const RunOutput run = RunLines("DES(2, 0, null, null)\nGetReaderName(5)\nGetLastError()\n");
    EXPECT_EQ(run.status, kExitSuccess);
    EXPECT_EQ(run.out,
              "DES(2, 0, null, null) -> 4097\nGetReaderName(5) -> null\nGetLastError() -> 4353\n");
}

TEST(CallRunnerTest, AcceptsByteOrderMarkAndWindowsLineEnds) {
    const RunOutput run = RunLines("\xEF\xBB\xBFGetAPIVersion()\r\nGetRespLength()\r\n");
    EXPECT_EQ(run.status, kExitSuccess);
    EXPECT_EQ(run.out, "GetAPIVersion() -> \"1.0.0.1\"\nGetRespLength() -> 0\n");
}

TEST(CallRunnerTest, ShellGoesOnAfterErrorsAndKnowsItsWords) {
    const RunOutput run = RunLines(
        "Nope()\nGetAPIVersion(\nhelp\nGetAPIVersion()\nquit\nGetAPIVersion()\n", false, true);
    EXPECT_EQ(run.status, kExitSuccess);
    EXPECT_NE(run.err.find("calls.txt:1: automation error"), std::string::npos);
    EXPECT_NE(run.err.find("calls.txt:2:15: syntax error"), std::string::npos);
    EXPECT_NE(run.out.find("long DES(long Opflag, long KeyLen, BSTR KeyVal, BSTR inData)\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("long FiscWriteRecordWithSNUMTAC(BSTR EFID, long Len, BSTR Data)  "
                           "[allowed pages]\n"),
              std::string::npos);
    // One result before quit, none after it.
    EXPECT_NE(run.out.find("kestrova> GetAPIVersion() -> \"1.0.0.1\"\n"), std::string::npos);
    EXPECT_EQ(run.out.find("1.0.0.1"), run.out.rfind("1.0.0.1"));
}

}  // namespace
}  // namespace kestrova::host
