#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/console_user_interface.h"
#include "reader/reader_operations.h"
#include "reader/slot_connection.h"
#include "resources/confirmation_dialog.h"
#include "sim/service/simulated_pcsc.h"
#include "tests/reader/simulated_service_fixture.h"
#include "tests/support/recording_user_interface.h"
#include "tests/support/scripted_dialog_window.h"
#include "txn/txn_confirm_dlg.h"

namespace kestrova {
namespace {

using test_support::ModalScript;
using test_support::RecordingUserInterface;
using test_support::ScriptedDialogWindow;

constexpr char kReader[] = "Reader A";
constexpr std::uint32_t kRemovalTimer = 0x2001;
constexpr std::uint32_t kConfirmTimer = 0x2004;
constexpr long kSharingViolation = static_cast<long>(0x8010000BL);
constexpr long kReaderUnavailable = static_cast<long>(0x80100017L);
constexpr int kRowHeightPixels = 13 * ScriptedDialogWindow::kPixelsPerUnit;

std::string Countdown(int seconds) {
    char text[64];
    std::snprintf(text, sizeof text, kConfirmationCountdownFormat, seconds);
    return text;
}

// The window over a card connected exclusively in slot 1, as the flow leaves
// it when it shows the window.
class ConfirmDialogTest : public testing::SimulatedServiceTest {
  protected:
    void SetUp() override {
        SimulatedServiceTest::SetUp();
        AddReaderWithCard(kReader);
        std::int32_t readerCount = 0;
        std::int32_t textLength = 0;
        AtrText atrText{};
        ASSERT_EQ(OpenCard(kReader, slot_, readerCount, textLength, atrText), 0);
        dialog_.m_slot = slot_;
        dialog_.m_rowCount = 1;
        SetRow(0, "NT$1,000");
    }

    void SetRow(std::size_t row, const char* value) {
        std::strncpy(dialog_.m_rowValue[row].data(), value, dialog_.m_rowValue[row].size() - 1);
    }

    static void Remove() { ASSERT_TRUE(sim::RemoveCard(kReader)); }
    static void Insert() { ASSERT_TRUE(sim::InsertCard(kReader)); }

    // Out and back in, one tick each way: the window enters confirmation.
    void Confirm() {
        Remove();
        window_.Tick();
        Insert();
        window_.Tick();
        ASSERT_TRUE(window_.TimerRunning(kConfirmTimer));
    }

    RecordingUserInterface userInterface_;
    CTxnConfirmDlg dialog_{userInterface_};
    ScriptedDialogWindow window_{dialog_};
    std::int32_t slot_ = 0;
};

TEST_F(ConfirmDialogTest, OkFollowsTheCardOutAndBackIn) {
    window_.Open();
    EXPECT_FALSE(window_.OkEnabled());
    EXPECT_EQ(window_.timers, (std::map<std::uint32_t, std::uint32_t>{{kRemovalTimer, 200}}));

    window_.Tick(3);  // the card stays in: nothing to confirm yet
    EXPECT_FALSE(window_.OkEnabled());
    EXPECT_FALSE(window_.PressOk());

    Remove();
    window_.Tick(2);
    EXPECT_FALSE(window_.OkEnabled());
    EXPECT_EQ(dialog_.m_absentPolls, 2);

    Insert();
    window_.Tick();
    EXPECT_TRUE(window_.OkEnabled());
    EXPECT_EQ(window_.timers, (std::map<std::uint32_t, std::uint32_t>{{kConfirmTimer, 200}}));

    Remove();  // out again: OK off at the next tick
    window_.Tick();
    EXPECT_FALSE(window_.OkEnabled());
    EXPECT_FALSE(window_.PressOk());

    Insert();
    window_.Tick();
    EXPECT_TRUE(window_.PressOk());
    EXPECT_TRUE(window_.Ended());
    EXPECT_EQ(window_.EndCode(), platform::kDialogOk);
    EXPECT_TRUE(window_.timers.empty());
    EXPECT_TRUE(window_.messageBoxes.empty());
}

// pcscd keeps our exclusive handle answering "removed" after the card is
// back, and refuses a fresh connect meanwhile; the window revives the handle.
TEST_F(ConfirmDialogTest, SeesTheCardBackThroughTheHandleItHolds) {
    window_.Open();
    Remove();
    window_.Tick(4);
    Insert();
    StartLog();
    window_.Tick();
    EXPECT_TRUE(window_.OkEnabled());
    const auto calls = CallNames();
    ASSERT_FALSE(calls.empty());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "SCardReconnect"), calls.end());
    EXPECT_EQ(sim::ConnectionCount(kReader), 1);

    // The revived handle is the slot's: the card layer goes on with it.
    std::int32_t atrLength = 0;
    AtrBuffer atr{};
    EXPECT_EQ(RefreshSlot(slot_, atrLength, atr), 0);
}

TEST_F(ConfirmDialogTest, OtherPollFailuresNeitherCountAsAbsenceNorDisableOk) {
    window_.Open();
    ASSERT_TRUE(sim::FailNextCalls("SCardStatus", 1, kReaderUnavailable));
    window_.Tick(2);  // the failure, then a fresh connect that finds the card
    EXPECT_EQ(dialog_.m_absentPolls, 0);
    EXPECT_TRUE(window_.TimerRunning(kRemovalTimer));
    EXPECT_FALSE(window_.OkEnabled());

    Confirm();
    ASSERT_TRUE(sim::FailNextCalls("SCardStatus", 1, kSharingViolation));
    window_.Tick();
    EXPECT_TRUE(window_.OkEnabled());
    window_.Tick();  // and the card is still found afterwards
    EXPECT_TRUE(window_.OkEnabled());
    EXPECT_TRUE(dialog_.m_lastPollOk);
}

TEST_F(ConfirmDialogTest, RemovalWaitTimesOutSilentlyAfterThreeHundredSeconds) {
    window_.Open();
    EXPECT_EQ(window_.Tick(1499), 1499);
    EXPECT_FALSE(window_.Ended());
    EXPECT_EQ(dialog_.m_secondsLeft, 0);
    window_.Tick();
    EXPECT_TRUE(window_.Ended());
    EXPECT_EQ(window_.EndCode(), platform::kDialogCancel);
    EXPECT_TRUE(window_.messageBoxes.empty());
    EXPECT_TRUE(window_.timers.empty());
    // Once a second, from 299 down to 0.
    ASSERT_EQ(window_.statusLines.size(), 300U);
    EXPECT_EQ(window_.statusLines.front(), Countdown(299));
    EXPECT_EQ(window_.statusLines.back(), Countdown(0));
    // A screen reader hears the time left now and then, not every second.
    std::vector<std::string> announced;
    for (int seconds : {299, 240, 180, 120, 60, 30, 10, 0}) {
        announced.push_back(Countdown(seconds));
    }
    EXPECT_EQ(window_.accessibleNames[platform::kDialogStatusLine], announced);
}

// The card back at second 290: the countdown carries over, and the
// confirmation ends ten seconds later with the time-out box.
TEST_F(ConfirmDialogTest, ConfirmationTimesOutWithTheBoxOnTheSharedCountdown) {
    window_.Open();
    Remove();
    window_.Tick(1449);
    Insert();
    window_.Tick();
    ASSERT_TRUE(window_.TimerRunning(kConfirmTimer));
    EXPECT_EQ(dialog_.m_secondsLeft, 9);

    EXPECT_EQ(window_.Tick(49), 49);
    EXPECT_FALSE(window_.Ended());
    EXPECT_TRUE(window_.messageBoxes.empty());
    window_.Tick();
    EXPECT_TRUE(window_.Ended());
    EXPECT_EQ(window_.EndCode(), platform::kDialogCancel);
    ASSERT_EQ(window_.messageBoxes.size(), 1U);
    EXPECT_EQ(window_.messageBoxes[0].text, kConfirmationTimeOutText);
    EXPECT_EQ(window_.messageBoxes[0].caption, "Kestrova");
}

TEST_F(ConfirmDialogTest, CancelEndsAtOnceInEitherPhase) {
    window_.Open();
    window_.PressCancel();
    EXPECT_EQ(window_.EndCode(), platform::kDialogCancel);
    EXPECT_TRUE(window_.timers.empty());

    CTxnConfirmDlg second(userInterface_);
    second.m_slot = slot_;
    second.m_rowCount = 1;
    ScriptedDialogWindow secondWindow(second);
    secondWindow.Open();
    Remove();
    secondWindow.Tick();
    Insert();
    secondWindow.Tick();
    ASSERT_TRUE(secondWindow.OkEnabled());
    secondWindow.PressCancel();
    EXPECT_EQ(secondWindow.EndCode(), platform::kDialogCancel);
    EXPECT_TRUE(secondWindow.timers.empty());
}

TEST_F(ConfirmDialogTest, RowsAndTheCompactedLayout) {
    struct Case {
        std::int32_t rows;
        bool row2Visible;
        bool row3Visible;
        int shift;
    };
    for (const Case& c : {Case{3, true, true, 0}, Case{2, true, false, kRowHeightPixels},
                          Case{1, false, false, kRowHeightPixels}}) {
        SCOPED_TRACE(c.rows);
        CTxnConfirmDlg dialog(userInterface_);
        dialog.m_slot = slot_;
        dialog.m_rowCount = c.rows;
        std::strcpy(dialog.m_rowValue[0].data(), "first");
        std::strcpy(dialog.m_rowValue[1].data(), "second");
        std::strcpy(dialog.m_rowValue[2].data(), "third");
        ScriptedDialogWindow window(dialog);
        window.Open();
        // The template's own places, before any start-up.
        const platform::DialogTemplate& layout = ConfirmationDialogTemplate();
        auto placeOf = [&](int id) {
            for (const auto& item : layout.items) {
                if (item.id == id) {
                    constexpr int kUnit = ScriptedDialogWindow::kPixelsPerUnit;
                    return platform::ScreenRect{100 + item.place.x * kUnit,
                                                100 + item.place.y * kUnit,
                                                100 + (item.place.x + item.place.width) * kUnit,
                                                100 + (item.place.y + item.place.height) * kUnit};
                }
            }
            return platform::ScreenRect{};
        };

        EXPECT_EQ(window.Item(kConfirmRow1Value).text, "first");
        EXPECT_EQ(window.Item(kConfirmRow2Value).text, c.rows >= 2 ? "second" : "5");
        EXPECT_EQ(window.Item(kConfirmRow3Value).text, c.rows >= 3 ? "third" : "");
        EXPECT_TRUE(window.Item(kConfirmHeading).visible);
        EXPECT_TRUE(window.Item(kConfirmRow1Label).visible);
        EXPECT_TRUE(window.Item(kConfirmRow1Value).visible);
        EXPECT_EQ(window.Item(kConfirmRow2Label).visible, c.row2Visible);
        EXPECT_EQ(window.Item(kConfirmRow2Value).visible, c.row2Visible);
        EXPECT_EQ(window.Item(kConfirmRow3Label).visible, c.row3Visible);
        EXPECT_EQ(window.Item(kConfirmRow3Value).visible, c.row3Visible);

        EXPECT_EQ(window.windowRect.left, 100);
        EXPECT_EQ(window.windowRect.top, 100);
        EXPECT_EQ(window.windowRect.Width(), 420);
        EXPECT_EQ(window.windowRect.Height(), 274 - c.shift);
        for (int id : {kConfirmInstruction, kConfirmOkButton, kConfirmCancelButton}) {
            SCOPED_TRACE(id);
            platform::ScreenRect expected = placeOf(id);
            expected.top -= c.shift;
            expected.bottom -= c.shift;
            EXPECT_EQ(window.Item(id).rect.left, expected.left);
            EXPECT_EQ(window.Item(id).rect.top, expected.top);
            EXPECT_EQ(window.Item(id).rect.right, expected.right);
            EXPECT_EQ(window.Item(id).rect.bottom, expected.bottom);
            EXPECT_TRUE(window.Item(id).visible);
        }
    }
}

TEST_F(ConfirmDialogTest, TagsFillTheirControlsAndMissingOnesEmptyThem) {
    const char* message = "intro <Tag1>Pay</Tag1> between <tag2>Go</TAG2> after";
    dialog_.m_msg = message;
    window_.Open();
    EXPECT_EQ(window_.caption, "Pay");
    EXPECT_EQ(window_.Item(kConfirmOkButton).text, "Go");
    for (int id : {kConfirmCancelButton, kConfirmInstruction, kConfirmHeading, kConfirmRow1Label,
                   kConfirmRow2Label, kConfirmRow3Label}) {
        EXPECT_EQ(window_.Item(id).text, "") << id;
    }
}

TEST_F(ConfirmDialogTest, EachTagGoesToItsControl) {
    const char* message =
        "<Tag10>ten</Tag10><Tag9>nine</Tag9><Tag8>L3</Tag8><Tag7>L2</Tag7><Tag6>L1</Tag6>"
        "<Tag5>Head</Tag5><Tag4>Take the card out</Tag4><Tag3>No</Tag3><Tag2>Yes</Tag2>"
        "<Tag1>Title</Tag1>";
    dialog_.m_msg = message;
    dialog_.m_rowCount = 3;
    window_.Open();
    EXPECT_EQ(window_.caption, "Title");
    EXPECT_EQ(window_.Item(kConfirmOkButton).text, "Yes");
    EXPECT_EQ(window_.Item(kConfirmCancelButton).text, "No");
    EXPECT_EQ(window_.Item(kConfirmInstruction).text, "Take the card out");
    EXPECT_EQ(window_.Item(kConfirmHeading).text, "Head");
    EXPECT_EQ(window_.Item(kConfirmRow1Label).text, "L1");
    EXPECT_EQ(window_.Item(kConfirmRow2Label).text, "L2");
    EXPECT_EQ(window_.Item(kConfirmRow3Label).text, "L3");
    EXPECT_STREQ(dialog_.m_tagText[8].data(), "nine");
    EXPECT_STREQ(dialog_.m_tagText[9].data(), "ten");
}

// What a screen reader reads: the page's button texts, or the template's
// captions where the page left them out (the visible text stays empty), and
// each value with its row's caption.
TEST_F(ConfirmDialogTest, ScreenReaderNamesFallBackToTheTemplateCaptions) {
    const struct {
        const char* message;
        std::string ok;
        std::string cancel;
        std::string row1;
        std::string row2;
    } cases[] = {
        {"<Tag2>Yes</Tag2><Tag3>No</Tag3><Tag6>From</Tag6><Tag7>To</Tag7>", "Yes", "No",
         "From 0040987654321098", "To 0040123456789012"},
        {"<Tag1>Pay</Tag1><Tag4>Take the card out</Tag4>", kConfirmOkText, kConfirmCancelText,
         "0040987654321098", "0040123456789012"},
        {nullptr, kConfirmOkText, kConfirmCancelText, "0040987654321098", "0040123456789012"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message != nullptr ? c.message : "null");
        RecordingUserInterface userInterface;
        CTxnConfirmDlg dialog(userInterface);
        dialog.m_msg = c.message;
        dialog.m_rowCount = 2;
        std::strcpy(dialog.m_rowValue[0].data(), "0040987654321098");
        std::strcpy(dialog.m_rowValue[1].data(), "0040123456789012");
        ScriptedDialogWindow window(dialog);
        window.Open();
        using Names = std::vector<std::string>;
        EXPECT_EQ(window.accessibleNames[kConfirmOkButton], Names{c.ok});
        EXPECT_EQ(window.accessibleNames[kConfirmCancelButton], Names{c.cancel});
        EXPECT_EQ(window.accessibleNames[kConfirmRow1Value], Names{c.row1});
        EXPECT_EQ(window.accessibleNames[kConfirmRow2Value], Names{c.row2});
        EXPECT_EQ(window.accessibleNames.count(kConfirmRow3Value), 0U);
        EXPECT_EQ(window.Item(kConfirmCancelButton).text,
                  c.cancel == kConfirmCancelText ? "" : c.cancel);
    }
}

TEST_F(ConfirmDialogTest, NullMessageEmptiesEveryTaggedControl) {
    dialog_.m_msg = nullptr;
    window_.Open();
    EXPECT_EQ(window_.caption, "");
    for (int id : {kConfirmOkButton, kConfirmCancelButton, kConfirmInstruction, kConfirmHeading,
                   kConfirmRow1Label, kConfirmRow2Label, kConfirmRow3Label}) {
        EXPECT_EQ(window_.Item(id).text, "") << id;
    }
}

TEST_F(ConfirmDialogTest, DoModalReturnsTheWindowsEndCode) {
    userInterface_.modalScript = ModalScript::kDriveByHand;
    userInterface_.driveModal = [](ScriptedDialogWindow& window) {
        Remove();
        window.Tick();
        Insert();
        window.Tick();
        window.PressOk();
    };
    EXPECT_EQ(dialog_.DoModal(), platform::kDialogOk);

    // A window the script leaves open is closed as cancelled.
    userInterface_.driveModal = [](ScriptedDialogWindow& window) { window.Tick(3); };
    EXPECT_EQ(dialog_.DoModal(), platform::kDialogCancel);

    userInterface_.modalScript = ModalScript::kEndWithCancel;
    EXPECT_EQ(dialog_.DoModal(), platform::kDialogCancel);
    EXPECT_EQ(userInterface_.modalWindows.size(), 3U);
}

// The console draws the same window: caption, heading, rows, instruction.
TEST_F(ConfirmDialogTest, TheConsoleShowsTheWindowItRuns) {
    // "<Tag1>交易確認</Tag1><Tag5>轉帳</Tag5><Tag6>金額</Tag6><Tag4>請取出晶片卡</Tag4>"
    const char* message =
        "<Tag1>\xA5\xE6\xA9\xF6\xBD\x54\xBB\x7B</Tag1><Tag5>\xC2\xE0\xB1\x62</Tag5>"
        "<Tag6>\xAA\xF7\xC3\x42</Tag6><Tag4>\xBD\xD0\xA8\xFA\xA5\x58\xB4\xB9\xA4\xF9\xA5\x64</"
        "Tag4>";
    std::ostringstream out;
    platform::ConsoleUserInterface console(out, platform::ConfirmMode::kCancel, -1);
    CTxnConfirmDlg dialog(console);
    dialog.m_slot = slot_;
    dialog.m_rowCount = 1;
    std::strcpy(dialog.m_rowValue[0].data(), "1,000");
    dialog.m_msg = message;
    EXPECT_EQ(dialog.DoModal(), platform::kDialogCancel);
    EXPECT_EQ(out.str(),
              "== 交易確認 ==\n"
              "轉帳\n"
              "金額: 1,000\n"
              "請取出晶片卡\n"
              "OK disabled\n"
              "剩餘 299 秒完成交易。\n"
              "[Cancel] pressed without asking (--confirm)\n");
}

}  // namespace
}  // namespace kestrova
