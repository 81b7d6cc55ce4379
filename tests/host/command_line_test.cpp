#include "host/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/directive_syntax.h"

namespace kestrova::host {
namespace {

std::variant<Options, CommandLineError> Parse(std::vector<std::string_view> arguments) {
    return ParseCommandLine(arguments);
}

Options OptionsOf(std::vector<std::string_view> arguments) {
    const auto parsed = Parse(arguments);
    if (const auto* error = std::get_if<CommandLineError>(&parsed)) {
        ADD_FAILURE() << error->message;
        return {};
    }
    return std::get<Options>(parsed);
}

std::string ErrorOf(std::vector<std::string_view> arguments) {
    const auto parsed = Parse(arguments);
    EXPECT_TRUE(std::holds_alternative<CommandLineError>(parsed));
    return std::holds_alternative<CommandLineError>(parsed)
               ? std::get<CommandLineError>(parsed).message
               : "";
}

TEST(CommandLineTest, CommandsAndTheirFile) {
    const Options run = OptionsOf({"run", "calls.txt"});
    EXPECT_EQ(run.command, Command::Run);
    EXPECT_EQ(run.file, "calls.txt");
    EXPECT_FALSE(run.json);
    EXPECT_EQ(OptionsOf({"run", "-"}).file, "-");
    EXPECT_EQ(OptionsOf({"shell"}).command, Command::Shell);
    EXPECT_EQ(OptionsOf({"methods"}).command, Command::Methods);
    EXPECT_EQ(OptionsOf({"help"}).command, Command::Help);
    EXPECT_EQ(OptionsOf({"--help"}).command, Command::Help);
    EXPECT_EQ(OptionsOf({"run", "x", "-h"}).command, Command::Help);
}

TEST(CommandLineTest, OptionsGoAnywhere) {
    EXPECT_TRUE(OptionsOf({"--json", "run", "x"}).json);
    EXPECT_TRUE(OptionsOf({"run", "x", "--json"}).json);
    EXPECT_TRUE(OptionsOf({"shell", "--json"}).json);
}

TEST(CommandLineTest, MistakesAreNamed) {
    EXPECT_EQ(ErrorOf({}), "no command given");
    EXPECT_EQ(ErrorOf({"run"}), "run needs a file (or - for standard input)");
    EXPECT_EQ(ErrorOf({"walk"}), "unknown command walk");
    EXPECT_EQ(ErrorOf({"run", "a", "b"}), "unexpected argument b");
    EXPECT_EQ(ErrorOf({"shell", "a"}), "unexpected argument a");
    EXPECT_EQ(ErrorOf({"run", "a", "--jsn"}), "unknown option --jsn");
    EXPECT_EQ(ErrorOf({"run", "a", "--json=1"}), "--json takes no value");
}

TEST(CommandLineTest, SimulateTakesAnOptionalProfileAfterAnEqualsSign) {
    const Options builtIn = OptionsOf({"run", "--simulate", "calls.txt"});
    EXPECT_TRUE(builtIn.simulate);
    EXPECT_EQ(builtIn.profile, "");
    EXPECT_EQ(builtIn.file, "calls.txt");

    const Options fromFile = OptionsOf({"shell", "--simulate=cards.json"});
    EXPECT_TRUE(fromFile.simulate);
    EXPECT_EQ(fromFile.profile, "cards.json");
    EXPECT_FALSE(OptionsOf({"run", "x"}).simulate);

    EXPECT_EQ(OptionsOf({"run", "x", "--pcsc-library", "lib.so"}).pcscLibrary, "lib.so");
    EXPECT_EQ(ErrorOf({"run", "x", "--simulate="}), "--simulate= needs a PROFILE after the =");
    EXPECT_EQ(ErrorOf({"run", "x", "--simulate", "--pcsc-library=lib.so"}),
              "--simulate and --pcsc-library cannot be used together");
    EXPECT_EQ(ErrorOf({"--pcsc-library", "", "--simulate=p.json", "shell"}),
              "--simulate and --pcsc-library cannot be used together");
}

TEST(CommandLineTest, UsageExplainsCommandsOptionsSyntaxAndExitStatus) {
    const std::string usage = UsageText();
    for (const char* topic :
         {"run FILE", "shell", "--json", "\\xHH", "\\uXXXX", "null", "code page 950",
          "exits with 2", "--simulate[=PROFILE]", ":card remove [READER]",
          ":card insert-after MS [READER]", ":sleep MS", ":page [URL]",
          "first reader of the profile that has a card"}) {
        EXPECT_NE(usage.find(topic), std::string::npos) << topic;
    }
    EXPECT_NE(usage.find("MS is 0 to " + std::to_string(kMaxDirectiveMilliseconds) + "."),
              std::string::npos);
}

}  // namespace
}  // namespace kestrova::host
