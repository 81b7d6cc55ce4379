#include "control/hosting_page_guard.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/code_page.h"
#include "tests/support/fixed_hosting_page.h"
#include "tests/support/recording_user_interface.h"

namespace kestrova {
namespace {

using test_support::FixedHostingPage;
using test_support::RecordingUserInterface;

std::u16string AllowedPage() {
    return u"https://" + platform::AnsiToUtf16(kConfiguredAllowedHosts[1]) + u"/";
}

TEST(HostingPageGuard, RefusalShowsTheWarningBoxOnce) {
    RecordingUserInterface userInterface;
    AllowedHostPair fields{};
    FixedHostingPage page(u"https://evil.example/");

    EXPECT_TRUE(
        RefuseUnlessHostingPageAllowed(&page, userInterface, fields, RefusalNotice::WarningBox));

    ASSERT_EQ(userInterface.messageBoxes.size(), 1u);
    const auto& box = userInterface.messageBoxes.front();
    EXPECT_EQ(platform::AnsiToUtf16(box.text), u"非法存取！ 交易取消！");
    EXPECT_EQ(platform::AnsiToUtf16(box.caption), u"警告訊息");
    EXPECT_EQ(box.text, platform::Utf16ToAnsi(u"非法存取！ 交易取消！"));
    EXPECT_EQ(box.caption, platform::Utf16ToAnsi(u"警告訊息"));
    EXPECT_EQ(box.icon, platform::MessageBoxIcon::Warning);
    EXPECT_EQ(fields, kConfiguredAllowedHosts);
}

TEST(HostingPageGuard, NotSitedControlIsRefusedWithTheBox) {
    RecordingUserInterface userInterface;
    AllowedHostPair fields{};
    EXPECT_TRUE(
        RefuseUnlessHostingPageAllowed(nullptr, userInterface, fields, RefusalNotice::WarningBox));
    EXPECT_EQ(userInterface.messageBoxes.size(), 1u);
}

TEST(HostingPageGuard, SilentRefusalShowsNothing) {
    RecordingUserInterface userInterface;
    AllowedHostPair fields{};
    FixedHostingPage page(u"http://evil.example/");
    EXPECT_TRUE(
        RefuseUnlessHostingPageAllowed(&page, userInterface, fields, RefusalNotice::Silent));
    EXPECT_TRUE(userInterface.messageBoxes.empty());
    EXPECT_EQ(fields, kConfiguredAllowedHosts);
}

TEST(HostingPageGuard, AllowedPagePassesWithoutABox) {
    RecordingUserInterface userInterface;
    AllowedHostPair fields{};
    FixedHostingPage page(AllowedPage());
    for (RefusalNotice notice : {RefusalNotice::WarningBox, RefusalNotice::Silent}) {
        EXPECT_FALSE(RefuseUnlessHostingPageAllowed(&page, userInterface, fields, notice));
    }
    EXPECT_TRUE(userInterface.messageBoxes.empty());
    EXPECT_EQ(page.AskCount(), 2);
}

}  // namespace
}  // namespace kestrova
