// --ui and --confirm: how they parse, and the view they choose on a machine
// with or without a display and Qt.

#include "host/user_interface_choice.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "host/command_line.h"

namespace kestrova::host {
namespace {

using platform::ConfirmMode;

std::variant<Options, CommandLineError> Parse(std::vector<std::string_view> arguments) {
    return ParseCommandLine(arguments);
}

std::string ErrorOf(std::vector<std::string_view> arguments) {
    const auto parsed = Parse(arguments);
    const auto* error = std::get_if<CommandLineError>(&parsed);
    return error != nullptr ? error->message : "(accepted)";
}

TEST(UiOptionsTest, ParseTheirValuesForEveryCommand) {
    const auto demo = Parse({"demo", "--ui", "console", "--confirm=cancel"});
    ASSERT_TRUE(std::holds_alternative<Options>(demo)) << ErrorOf({"demo"});
    EXPECT_EQ(std::get<Options>(demo).command, Command::Demo);
    EXPECT_EQ(std::get<Options>(demo).ui, UiChoice::Console);
    EXPECT_EQ(std::get<Options>(demo).confirm, ConfirmAnswer::Cancel);

    const auto run = Parse({"run", "--ui=qt", "calls.txt"});
    ASSERT_TRUE(std::holds_alternative<Options>(run));
    EXPECT_EQ(std::get<Options>(run).ui, UiChoice::Qt);
    EXPECT_FALSE(std::get<Options>(run).confirm.has_value());

    const auto shell = Parse({"shell", "--confirm", "ok", "--ui", "auto"});
    ASSERT_TRUE(std::holds_alternative<Options>(shell));
    EXPECT_EQ(std::get<Options>(shell).ui, UiChoice::Auto);
    EXPECT_EQ(std::get<Options>(shell).confirm, ConfirmAnswer::Ok);

    const auto plain = Parse({"demo"});
    ASSERT_TRUE(std::holds_alternative<Options>(plain));
    EXPECT_EQ(std::get<Options>(plain).ui, UiChoice::Auto);
    EXPECT_FALSE(std::get<Options>(plain).confirm.has_value());
}

TEST(UiOptionsTest, RefuseValuesTheyDoNotTakeAndOptionsThatDoNotApply) {
    EXPECT_EQ(ErrorOf({"demo", "--ui", "gtk"}), "--ui takes qt|console|auto, not gtk");
    EXPECT_EQ(ErrorOf({"demo", "--confirm=OK"}), "--confirm takes ok|cancel, not OK");
    EXPECT_EQ(ErrorOf({"demo", "--confirm"}), "--confirm needs a value (ok|cancel)");
    EXPECT_NE(ErrorOf({"run", "--ui", "qt", "--confirm", "ok", "x.txt"}), "(accepted)");
    EXPECT_NE(ErrorOf({"demo", "--json"}), "(accepted)");
    EXPECT_NE(ErrorOf({"demo", "--simulate=cards.json"}), "(accepted)");
    EXPECT_NE(ErrorOf({"demo", "--page-url", "https://x/"}), "(accepted)");
    EXPECT_NE(ErrorOf({"demo", "file.txt"}), "(accepted)");
    EXPECT_EQ(ErrorOf({"demo", "--simulate"}), "(accepted)");
}

UiKind Chosen(UiChoice choice, bool confirm, const UiEnvironment& environment) {
    const auto chosen = ChooseUi(choice, confirm, environment);
    EXPECT_TRUE(std::holds_alternative<UiKind>(chosen)) << std::get<std::string>(chosen);
    return std::holds_alternative<UiKind>(chosen) ? std::get<UiKind>(chosen) : UiKind::Console;
}

TEST(ChooseUiTest, AutoTakesQtOnlyWithADisplayAQtBuildAndNoConfirm) {
    const UiEnvironment desktop{.qtBuilt = true, .display = true, .qtPlatformChosen = false};
    const UiEnvironment noDisplay{.qtBuilt = true, .display = false, .qtPlatformChosen = true};
    const UiEnvironment noQt{.qtBuilt = false, .display = true, .qtPlatformChosen = false};
    EXPECT_EQ(Chosen(UiChoice::Auto, false, desktop), UiKind::Qt);
    EXPECT_EQ(Chosen(UiChoice::Auto, true, desktop), UiKind::Console);
    EXPECT_EQ(Chosen(UiChoice::Auto, false, noDisplay), UiKind::Console);
    EXPECT_EQ(Chosen(UiChoice::Auto, false, noQt), UiKind::Console);
    EXPECT_EQ(Chosen(UiChoice::Console, false, desktop), UiKind::Console);
    EXPECT_EQ(Chosen(UiChoice::Qt, false, desktop), UiKind::Qt);
    // An offscreen or other chosen Qt platform draws without a display.
    EXPECT_EQ(Chosen(UiChoice::Qt, false, noDisplay), UiKind::Qt);
}

TEST(ChooseUiTest, QtIsRefusedWhereItCannotDraw) {
    const UiEnvironment noQt{.qtBuilt = false, .display = true, .qtPlatformChosen = true};
    const UiEnvironment nowhere{.qtBuilt = true, .display = false, .qtPlatformChosen = false};
    EXPECT_TRUE(std::holds_alternative<std::string>(ChooseUi(UiChoice::Qt, false, noQt)));
    EXPECT_TRUE(std::holds_alternative<std::string>(ChooseUi(UiChoice::Qt, false, nowhere)));
}

TEST(ChooseUiTest, TheConsoleAnswersAsToldElseAsksAPersonAtATerminal) {
    EXPECT_EQ(ConsoleConfirmMode(ConfirmAnswer::Ok, true, ConfirmMode::kAsk), ConfirmMode::kOk);
    EXPECT_EQ(ConsoleConfirmMode(ConfirmAnswer::Cancel, false, ConfirmMode::kOk),
              ConfirmMode::kCancel);
    EXPECT_EQ(ConsoleConfirmMode(std::nullopt, true, ConfirmMode::kOk), ConfirmMode::kAsk);
    EXPECT_EQ(ConsoleConfirmMode(std::nullopt, false, ConfirmMode::kOk), ConfirmMode::kOk);
    EXPECT_EQ(ConsoleConfirmMode(std::nullopt, false, ConfirmMode::kAsk), ConfirmMode::kAsk);
}

}  // namespace
}  // namespace kestrova::host
