// The three programs' command lines as a person types them: --help and
// --version answer, a mistake is one line that points to --help, a file
// that cannot be opened is named with the system's reason, and a card
// profile written after "--simulate " gets the "=" it needs.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/integration/kestrova_process.h"

namespace kestrova::bridge {
namespace {

using testing::KestrovaOutput;
using testing::KestrovaProcess;

enum class Program { Kestrova, Host, PageDeclaration };

const char* PathOf(Program program) {
    switch (program) {
        case Program::Kestrova:
            return KESTROVA_COMMAND_PATH;
        case Program::Host:
            return KESTROVA_HOST_PATH;
        case Program::PageDeclaration:
            break;
    }
    return KESTROVA_PAGE_DECLARATION_TOOL;
}

// The control's own version, as a page reads it.
std::string ControlVersion(const KestrovaProcess& process) {
    const KestrovaOutput run = process.Run("run -", "GetAPIVersion()\n");
    const std::string prefix = "GetAPIVersion() -> \"";
    EXPECT_EQ(run.out.rfind(prefix, 0), 0U) << run.out;
    return run.out.substr(prefix.size(), run.out.find('"', prefix.size()) - prefix.size());
}

TEST(CommandLines, AnswerHelpVersionAndMistakesLikeTheirPeers) {
    const KestrovaProcess process;
    const std::string folder = process.Directory().string();
    const std::string calls = process.WriteFile("calls.txt", "GetAPIVersion()\n");
    const std::string goodConfig = process.WriteFile("host.conf", "ui=console\n");
    const std::string badConfig = process.WriteFile("bad.conf", "colour=blue\n");
    const std::string missing = folder + "/missing.txt";
    const std::string version = ControlVersion(process);
    const std::string chromium =
        std::string(" 'chrome-extension://") + KESTROVA_CHROMIUM_EXTENSION_ID + "/'";
    const std::string hint = " to name a card profile";
    const struct {
        Program program;
        std::string arguments;
        std::string config;  // KESTROVA_HOST_CONFIG
        int status;
        std::string outStart;  // standard output starts with it
        std::string err;       // standard error is exactly this
    } cases[] = {
        {Program::Kestrova, "--version", goodConfig, 0, "kestrova " + version + "\n", ""},
        {Program::Kestrova, "run x --help", goodConfig, 0, "Usage: kestrova COMMAND", ""},
        {Program::Host, "--version", goodConfig, 0,
         "kestrova-host " + version + " (protocol " + std::to_string(KESTROVA_PROTOCOL_VERSION) +
             ")\n",
         ""},
        // Help does not depend on a configuration that works.
        {Program::Host, "--help", badConfig, 0, "Usage: kestrova-host [--OPTION...] CALLER...\n",
         ""},
        {Program::PageDeclaration, "--help", goodConfig, 0, "usage: kestrova_page_declaration", ""},
        {Program::Kestrova, "methods --long", goodConfig, 0,
         "long ListReaders()  [allowed pages]\n  Lists the readers the PC/SC service knows", ""},
        {Program::Kestrova, "run x --long", goodConfig, 2, "",
         "kestrova: --long is for methods (see kestrova --help)\n"},
        {Program::Kestrova, "run x --jsn", goodConfig, 2, "",
         "kestrova: unknown option --jsn (see kestrova --help)\n"},
        {Program::Kestrova, "fly", goodConfig, 2, "",
         "kestrova: unknown command fly (see kestrova --help)\n"},
        {Program::Host, "--verbose" + chromium, goodConfig, 1, "",
         "kestrova-host: unknown option '--verbose' (see kestrova-host --help)\n"},
        {Program::Host, chromium, badConfig, 1, "",
         "kestrova-host: " + badConfig +
             ": line 1: unknown option 'colour=blue' (see kestrova-host --help)\n"},
        {Program::Host, chromium, missing, 1, "",
         "kestrova-host: cannot read " + missing +
             ": No such file or directory (see kestrova-host --help)\n"},
        {Program::PageDeclaration, "--output=x.d.ts", goodConfig, 2, "",
         "usage: kestrova_page_declaration OUTPUT\n"},
        {Program::Kestrova, "run '" + missing + "'", goodConfig, 2, "",
         "kestrova: cannot open " + missing + ": No such file or directory\n"},
        {Program::Kestrova, "run '" + folder + "'", goodConfig, 2, "",
         "kestrova: cannot open " + folder + ": Is a directory\n"},
        {Program::Kestrova, "shell --simulate cards.json", goodConfig, 2, "",
         "kestrova: --simulate cards.json: write --simulate=cards.json" + hint +
             " (see kestrova --help)\n"},
        {Program::Kestrova, "run --simulate cards.json", goodConfig, 2, "",
         "kestrova: --simulate cards.json: write --simulate=cards.json" + hint +
             " (see kestrova --help)\n"},
        {Program::Kestrova, "run '" + calls + "' --simulate cards", goodConfig, 2, "",
         "kestrova: --simulate cards: write --simulate=cards" + hint + " (see kestrova --help)\n"},
        // The built-in cards with a file of calls stay as they were.
        {Program::Kestrova, "run --simulate '" + calls + "'", goodConfig, 0, "GetAPIVersion() -> ",
         ""},
        {Program::Host, "--simulate cards.json", goodConfig, 1, "",
         "kestrova-host: --simulate cards.json: write --simulate=cards.json" + hint +
             " (see kestrova-host --help)\n"},
    };
    // Run where the test runs: an option must not become a file there.
    std::filesystem::remove("--help");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(PathOf(c.program)) + " " + c.arguments);
        setenv("KESTROVA_HOST_CONFIG", c.config.c_str(), 1);
        const KestrovaOutput output = process.RunProgram(PathOf(c.program), c.arguments);
        EXPECT_EQ(output.status, c.status);
        EXPECT_EQ(output.out.rfind(c.outStart, 0), 0U) << output.out;
        EXPECT_EQ(output.err, c.err);
    }
    unsetenv("KESTROVA_HOST_CONFIG");
    EXPECT_FALSE(std::filesystem::exists("--help"));
}

TEST(CommandLines, TheHostsHelpNamesEveryOptionItTakes) {
    const KestrovaProcess process;
    const KestrovaOutput help = process.RunProgram(KESTROVA_HOST_PATH, "--help");
    for (const char* word : {"simulate", "simulate=PROFILE", "ui=qt|console|auto",
                             "confirm=ok|cancel", "KESTROVA_HOST_CONFIG", "Exit status"}) {
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    }
}

}  // namespace
}  // namespace kestrova::bridge
