#include "platform/console_user_interface.h"

#include <gtest/gtest.h>

#include <sstream>

#include "control/hosting_page_guard.h"

namespace kestrova {
namespace {

TEST(ConsoleUserInterface, PrintsCaptionAndTextAsOneUtf8Line) {
    std::ostringstream out;
    platform::ConsoleUserInterface console(out);
    console.ShowMessageBox(kIllegalAccessText, kWarningCaption, platform::MessageBoxIcon::Warning);
    EXPECT_EQ(out.str(), "警告訊息: 非法存取！ 交易取消！\n");
}

TEST(ConsoleUserInterface, UndecodableBytesBecomeReplacementCharacters) {
    std::ostringstream out;
    platform::ConsoleUserInterface console(out);
    console.ShowMessageBox("a\xFF", "Kestrova", platform::MessageBoxIcon::Warning);
    EXPECT_EQ(out.str(), "Kestrova: a\xEF\xBF\xBD\n");
}

}  // namespace
}  // namespace kestrova
