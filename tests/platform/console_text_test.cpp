#include "platform/console_text.h"

#include <gtest/gtest.h>

namespace kestrova::platform {
namespace {

TEST(ConsoleText, Big5BecomesUtf8) {
    // "交易" in code page 950.
    EXPECT_EQ(ConsoleText("\xA5\xE6\xA9\xF6 OK"), "交易 OK");
    EXPECT_EQ(ConsoleText(""), "");
}

TEST(ConsoleText, WhatATerminalWouldObeyOrCannotShowIsReplaced) {
    // An escape sequence that would clear the screen, a carriage return that
    // would overwrite the line, DEL, and a lead byte without its trail byte.
    EXPECT_EQ(ConsoleText("\x1B[2Jamount\r9"), "\uFFFD[2Jamount\uFFFD9");
    EXPECT_EQ(ConsoleText("a\x7F"), "a\uFFFD");
    EXPECT_EQ(ConsoleText("\tx\n"), "\uFFFDx\uFFFD");
    EXPECT_EQ(ConsoleText("\xA5"), "\uFFFD");
}

}  // namespace
}  // namespace kestrova::platform
