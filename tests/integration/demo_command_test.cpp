// `kestrova demo` through the built command, without a terminal: the
// transfer confirmed or cancelled by --confirm, and the answer it prints.

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/integration/kestrova_process.h"

namespace kestrova::testing {
namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(DemoCommandTest, AConfirmedTransferPrintsItsSnumTacAndTexts) {
    const KestrovaProcess kestrova;
    const KestrovaOutput run = kestrova.Run("demo --confirm ok");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(std::regex_search(run.out, std::regex("\nGetRespSNUM\\(\\) -> \"[0-9]{8}\"\n")))
        << run.out;
    EXPECT_TRUE(
        std::regex_search(run.out, std::regex("\nGetRespTAC\\(\\) -> \"[0-9A-Fa-f]{16}\"\n")))
        << run.out;
    EXPECT_TRUE(
        std::regex_search(run.out, std::regex("\nWriteRecordWithSNUMTACProc\\(.*\\) -> 0\n")))
        << run.out;
    for (const char* line :
         {"ConnectCard(\"Kestrova Virtual Reader 0\") -> 0\n",
          "DisconnectCard(\"Kestrova Virtual Reader 0\") -> 0\n", "The transfer was confirmed"}) {
        EXPECT_TRUE(Has(run.out, line)) << line << "\nin:\n" << run.out;
    }
}

TEST(DemoCommandTest, WithoutATerminalOrConfirmTheDemoStillConfirms) {
    const KestrovaProcess kestrova;
    const KestrovaOutput run = kestrova.Run("demo --ui console");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(Has(run.out, "The transfer was confirmed")) << run.out;
}

TEST(DemoCommandTest, ACancelledTransferFailsWithItsResultAndNoSnum) {
    const KestrovaProcess kestrova;
    const KestrovaOutput run = kestrova.Run("demo --confirm cancel");
    EXPECT_NE(run.status, 0);
    EXPECT_TRUE(Has(run.out, "-> 5123\n")) << run.out;
    EXPECT_TRUE(Has(run.out, "not confirmed (result 5123)")) << run.out;
    EXPECT_FALSE(Has(run.out, "GetRespSNUM")) << run.out;
}

TEST(DemoCommandTest, ABadUiChoiceIsAnErrorBeforeAnythingRuns) {
    const KestrovaProcess kestrova;
    const KestrovaOutput run = kestrova.Run("demo --ui qt --confirm ok");
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Has(run.err, "--confirm")) << run.err;
    EXPECT_EQ(run.out, "");
}

}  // namespace
}  // namespace kestrova::testing
