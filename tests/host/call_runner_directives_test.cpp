// Directive lines in a run and in the shell, on fake simulated readers.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "host/call_runner.h"
#include "host/page_site.h"
#include "host/script_directives.h"
#include "tests/host/fake_simulated_readers.h"

namespace kestrova::host {
namespace {

struct RunOutput {
    int status;
    std::string out;
    std::string err;
};

// Runs the lines with directives on the fake readers "Reader A" and "Reader B".
RunOutput RunWithDirectives(const std::string& input, bool json = false, bool interactive = false) {
    CKestrovaCtrl control;
    PageSite page(control, nullptr);
    testing::FakeSimulatedReaders readers({"Reader A", "Reader B"});
    ScriptDirectives directives(page, &readers);
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const RunSettings settings{"calls.txt", json, interactive};
    const int status = RunCalls(control, in, out, err, settings, &directives);
    return {status, out.str(), err.str()};
}

TEST(CallRunnerDirectivesTest, DirectivesPrintWhatTheyDidBetweenTheCalls) {
    const RunOutput run = RunWithDirectives(
        "GetAPIVersion()\n:card remove   # the first reader\n\t:sleep 0\r\n"
        ":card insert Reader A\nGetAPIVersion()\n");
    EXPECT_EQ(run.status, kExitSuccess);
    EXPECT_EQ(run.out,
              "GetAPIVersion() -> \"1.0.0.1\"\n:card remove Reader A\n:sleep 0\n"
              ":card insert Reader A\nGetAPIVersion() -> \"1.0.0.1\"\n");
    EXPECT_EQ(run.err, "");

    const RunOutput json = RunWithDirectives(":card remove\n:sleep 0\nGetAPIVersion()\n", true);
    EXPECT_EQ(json.status, kExitSuccess);
    EXPECT_EQ(json.out, "{\"call\": \"GetAPIVersion\", \"args\": [], \"result\": \"1.0.0.1\"}\n");
}

TEST(CallRunnerDirectivesTest, AFailedDirectiveStopsARunButNotTheShell) {
    const std::string lines =
        "GetAPIVersion()\n:card remove Reader B\n:card remove Reader B # again\n"
        ":sleep soon\nGetAPIVersion()\n";
    const RunOutput run = RunWithDirectives(lines, true);
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(run.out, "{\"call\": \"GetAPIVersion\", \"args\": [], \"result\": \"1.0.0.1\"}\n");
    EXPECT_EQ(run.err, "calls.txt:3: :card remove Reader B: already out\n");

    const RunOutput shell = RunWithDirectives(lines, false, true);
    EXPECT_EQ(shell.status, kExitSuccess);
    EXPECT_EQ(
        shell.err,
        "calls.txt:3: :card remove Reader B: already out\n"
        "calls.txt:4: :sleep soon: :sleep needs a time in milliseconds, a whole number from 0 "
        "to 600000\n");
    // Both calls ran.
    EXPECT_NE(shell.out.find("1.0.0.1"), shell.out.rfind("1.0.0.1"));

    // A runner given no directives refuses them.
    CKestrovaCtrl control;
    std::istringstream in(":sleep 0\n");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCalls(control, in, out, err, RunSettings{"calls.txt"}), kExitFailure);
    EXPECT_EQ(err.str(), "calls.txt:1: :sleep 0: directives are not available here\n");
}

}  // namespace
}  // namespace kestrova::host
