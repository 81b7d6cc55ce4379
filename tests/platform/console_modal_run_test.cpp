#include "platform/console_modal_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "platform/console_user_interface.h"
#include "platform/dialog_template.h"

namespace kestrova::platform {
namespace {

constexpr std::uint32_t kTimer = 7;

// A dialog whose OK comes on after a number of ticks of a 1 ms timer, and
// which reports each tick as its status.
class CountingDialog final : public ModalDialog {
  public:
    explicit CountingDialog(int ticksUntilOk) : ticksUntilOk_(ticksUntilOk) {}

    const DialogTemplate& Template() const override {
        static const DialogTemplate layout{
            1,
            "Window",
            "Font",
            10,
            {0, 0, 100, 60},
            {{1, DialogItemKind::DefaultPushButton, "Yes", {10, 40, 30, 10}, false},
             {2, DialogItemKind::PushButton, "No", {50, 40, 30, 10}, false},
             {10, DialogItemKind::StaticCentred, "Heading", {5, 5, 90, 10}, true},
             {11, DialogItemKind::StaticLeft, "label", {5, 20, 30, 10}, true},
             {12, DialogItemKind::StaticLeft, "value", {40, 20, 50, 10}, true},
             {13, DialogItemKind::StaticLeft, "hidden", {5, 30, 30, 10}, true}},
        };
        return layout;
    }
    void OnInitDialog(DialogWindow& window) override {
        window.SetCaption("\xA5\xE6\xA9\xF6");  // "交易"
        window.SetItemText(11, "Amount");
        window.ShowItem(13, false);
        window.EnableItem(1, ticksUntilOk_ == 0);
        window.StartTimer(kTimer, 1);
    }
    void OnTimer(DialogWindow& window, std::uint32_t timerId) override {
        ASSERT_EQ(timerId, kTimer);
        ++ticks;
        window.ShowStatus("tick " + std::to_string(ticks));
        if (ticks == ticksUntilOk_) {
            window.EnableItem(1, true);
        }
        if (ticks == 100) {  // a window that nobody answers ends by itself
            window.ShowMessageBox("too late", "Window");
            window.End(kDialogCancel);
        }
    }
    void OnOK(DialogWindow& window) override { window.End(kDialogOk); }
    void OnCancel(DialogWindow& window) override { window.End(kDialogCancel); }

    int ticks = 0;

  private:
    int ticksUntilOk_;
};

// A pseudo-terminal whose far end a test types into.
class Terminal {
  public:
    Terminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
            follower_ = open(ptsname(master_), O_RDWR | O_NOCTTY);
        }
    }
    ~Terminal() {
        if (follower_ >= 0)
            close(follower_);
        if (master_ >= 0)
            close(master_);
    }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    bool Usable() const { return follower_ >= 0; }
    int Input() const { return follower_; }
    void Type(const std::string& text) const {
        ASSERT_EQ(write(master_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

  private:
    int master_ = -1;
    int follower_ = -1;
};

TEST(ConsoleModalRun, ConfirmOkPressesOkAsSoonAsItIsEnabled) {
    std::ostringstream out;
    CountingDialog dialog(3);
    ConsoleUserInterface console(out, ConfirmMode::kOk, -1);
    EXPECT_EQ(console.RunModal(dialog), kDialogOk);
    EXPECT_EQ(dialog.ticks, 3);
    EXPECT_EQ(out.str(),
              "== 交易 ==\n"
              "Heading\n"
              "Amount: value\n"
              "OK disabled\n"
              "tick 1\n"
              "tick 2\n"
              "tick 3\n"
              "OK enabled\n"
              "[Yes] pressed without asking (--confirm)\n");
}

TEST(ConsoleModalRun, ConfirmCancelCancelsAtOnce) {
    std::ostringstream out;
    CountingDialog dialog(0);
    EXPECT_EQ(RunConsoleModal(dialog, out, ConfirmMode::kCancel, -1), kDialogCancel);
    EXPECT_EQ(dialog.ticks, 0);
    EXPECT_NE(out.str().find("[No] pressed without asking (--confirm)\n"), std::string::npos);
}

TEST(ConsoleModalRun, WithoutATerminalItSaysSoAndCancels) {
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    std::ostringstream out;
    CountingDialog dialog(0);
    EXPECT_EQ(RunConsoleModal(dialog, out, ConfirmMode::kAsk, pipeEnds[0]), kDialogCancel);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    EXPECT_EQ(dialog.ticks, 0);
    EXPECT_NE(out.str().find("no terminal to ask for confirmation: cancelled"), std::string::npos);
}

TEST(ConsoleModalRun, AnUnansweredConfirmOkEndsWithTheDialogsOwnTimeOut) {
    std::ostringstream out;
    CountingDialog dialog(-1);  // OK never comes on
    EXPECT_EQ(RunConsoleModal(dialog, out, ConfirmMode::kOk, -1), kDialogCancel);
    EXPECT_EQ(dialog.ticks, 100);
    EXPECT_NE(out.str().find("Window: too late\n"), std::string::npos);
}

TEST(ConsoleModalRun, OnATerminalEnterPressesAnEnabledOk) {
    Terminal terminal;
    if (!terminal.Usable()) {
        GTEST_SKIP() << "no pseudo-terminal";
    }
    terminal.Type("\n");
    std::ostringstream out;
    CountingDialog dialog(0);
    EXPECT_EQ(RunConsoleModal(dialog, out, ConfirmMode::kAsk, terminal.Input()), kDialogOk);
    EXPECT_NE(out.str().find("Amount: value\nEnter: [Yes]   c, Enter: [No]\n"), std::string::npos);
}

TEST(ConsoleModalRun, OnATerminalEnterWaitsForOkAndCCancels) {
    Terminal terminal;
    if (!terminal.Usable()) {
        GTEST_SKIP() << "no pseudo-terminal";
    }
    terminal.Type("\nc\n");
    std::ostringstream out;
    CountingDialog dialog(1000000);
    EXPECT_EQ(RunConsoleModal(dialog, out, ConfirmMode::kAsk, terminal.Input()), kDialogCancel);
    EXPECT_NE(out.str().find("OK is not enabled yet\n"), std::string::npos);
    EXPECT_EQ(out.str().find("OK enabled"), std::string::npos);
}

}  // namespace
}  // namespace kestrova::platform
