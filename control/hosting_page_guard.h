#pragma once

// The first step of each guarded method: refuse a page the hosting-page
// check refuses, telling the user where the method says so.

#include "control/hosting_page_check.h"
#include "platform/hosting_page.h"
#include "platform/user_interface.h"

namespace kestrova {

// "非法存取！ 交易取消！" and "警告訊息" in code page 950.
inline constexpr char kIllegalAccessText[] =
    "\xAB\x44\xAA\x6B\xA6\x73\xA8\xFA\xA1\x49 \xA5\xE6\xA9\xF6\xA8\xFA\xAE\xF8\xA1\x49";
inline constexpr char kWarningCaption[] = "\xC4\xB5\xA7\x69\xB0\x54\xAE\xA7";

enum class RefusalNotice { WarningBox, Silent };

// Runs CheckHostingPage. On refusal shows the warning box when asked and
// returns true: the method then returns kHostingPageRefused without card work.
bool RefuseUnlessHostingPageAllowed(const platform::HostingPageSource* page,
                                    platform::UserInterface& userInterface,
                                    AllowedHostPair& allowedHosts, RefusalNotice notice);

}  // namespace kestrova
