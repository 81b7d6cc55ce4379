#include "txn/txn_confirm_dlg.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/user_interface.h"
#include "reader/pcsc_functions.h"
#include "reader/result_codes.h"
#include "reader/slot_connection.h"
#include "reader/slot_reconnection.h"
#include "resources/confirmation_dialog.h"

namespace kestrova {
namespace {

inline constexpr std::uint32_t kRemovalTimer = 0x2001;
inline constexpr std::uint32_t kConfirmTimer = 0x2004;
inline constexpr std::uint32_t kTimerPeriodMs = 200;
inline constexpr std::int32_t kTicksPerSecond = 5;
inline constexpr std::int32_t kFirstSecondsLeft = 299;
inline constexpr std::int32_t kNoSmartcard = static_cast<std::int32_t>(0x8010000CU);

// The seconds left at which a screen reader hears the time left: every
// minute and near the end, not every second as the status line shows it.
bool WorthAnnouncing(std::int32_t secondsLeft) {
    return secondsLeft == kFirstSecondsLeft || secondsLeft % 60 == 0 || secondsLeft == 30 ||
           secondsLeft == 10;
}

bool CardAbsent(std::int32_t result) {
    return result == kNoSmartcard || result == kRemovedCard;
}

template <std::size_t N>
std::string_view TextOf(const std::array<char, N>& field) {
    const auto end = std::find(field.begin(), field.end(), '\0');
    return {field.data(), static_cast<std::size_t>(end - field.begin())};
}

}  // namespace

CTxnConfirmDlg::CTxnConfirmDlg(platform::UserInterface& userInterface)
    : userInterface_(userInterface) {}

std::int32_t CTxnConfirmDlg::DoModal() {
    ended_ = false;
    return userInterface_.RunModal(*this);
}

const platform::DialogTemplate& CTxnConfirmDlg::Template() const {
    return ConfirmationDialogTemplate();
}

void CTxnConfirmDlg::ExtractTag(const char* openTag, const char* closeTag, std::int32_t index) {
    if (index < 0 || index >= static_cast<std::int32_t>(m_tagText.size())) {
        return;
    }
    kestrova::ExtractTag(m_msg != nullptr ? std::string_view(m_msg) : std::string_view(), openTag,
                         closeTag, m_tagText[static_cast<std::size_t>(index)]);
}

void CTxnConfirmDlg::OnInitDialog(platform::DialogWindow& window) {
    for (int n = 1; n <= 10; ++n) {
        char openTag[16];
        char closeTag[16];
        (void)std::snprintf(openTag, sizeof openTag, "<Tag%d>", n);
        (void)std::snprintf(closeTag, sizeof closeTag, "</Tag%d>", n);
        ExtractTag(openTag, closeTag, n - 1);
    }

    window.SetCaption(TextOf(m_tagText[0]));
    window.SetItemText(kConfirmOkButton, TextOf(m_tagText[1]));
    window.SetItemText(kConfirmCancelButton, TextOf(m_tagText[2]));
    window.SetItemText(kConfirmInstruction, TextOf(m_tagText[3]));
    window.SetItemText(kConfirmHeading, TextOf(m_tagText[4]));
    window.SetItemText(kConfirmRow1Label, TextOf(m_tagText[5]));
    window.SetItemText(kConfirmRow2Label, TextOf(m_tagText[6]));
    window.SetItemText(kConfirmRow3Label, TextOf(m_tagText[7]));
    // A button the page left without a text still has a name for a screen
    // reader: its template caption.
    const std::string_view okText = TextOf(m_tagText[1]);
    const std::string_view cancelText = TextOf(m_tagText[2]);
    window.SetItemAccessibleName(kConfirmOkButton, okText.empty() ? kConfirmOkText : okText);
    window.SetItemAccessibleName(kConfirmCancelButton,
                                 cancelText.empty() ? kConfirmCancelText : cancelText);

    const std::int32_t rows = std::clamp(m_rowCount, 0, 3);
    for (std::int32_t i = 0; i < rows; ++i) {
        const std::string_view value = TextOf(m_rowValue[static_cast<std::size_t>(i)]);
        window.SetItemText(kConfirmRow1Value + 2 * i, value);
        // Each value is read with its row's caption, as one line.
        const std::string_view caption = TextOf(m_tagText[static_cast<std::size_t>(i) + 5]);
        window.SetItemAccessibleName(
            kConfirmRow1Value + 2 * i,
            caption.empty() ? std::string(value) : std::string(caption) + " " + std::string(value));
    }
    if (m_rowCount < 3) {
        window.ShowItem(kConfirmRow3Label, false);
        window.ShowItem(kConfirmRow3Value, false);
    }
    if (m_rowCount < 2) {
        window.ShowItem(kConfirmRow2Label, false);
        window.ShowItem(kConfirmRow2Value, false);
    }
    CompactLayout(window);

    m_removalTicks = 0;
    m_secondsLeft = kFirstSecondsLeft;
    m_absentPolls = 0;
    window.StartTimer(kRemovalTimer, kTimerPeriodMs);
    m_lastPollOk = true;
    window.EnableItem(kConfirmOkButton, false);
    ShowSecondsLeft(window);
}

void CTxnConfirmDlg::CompactLayout(platform::DialogWindow& window) {
    if (m_rowCount >= 3) {
        return;
    }
    platform::ScreenRect frame = window.WindowRect();
    const int rowHeight = window.ItemRect(kConfirmRow3Label).Height();
    for (int id : {kConfirmInstruction, kConfirmOkButton, kConfirmCancelButton}) {
        platform::ScreenRect place = window.ItemRect(id);
        place.top -= rowHeight;
        place.bottom -= rowHeight;
        window.MoveItem(id, place);
        window.ShowItem(id, true);
    }
    frame.bottom -= rowHeight;
    window.MoveWindow(frame);
}

std::int32_t CTxnConfirmDlg::PollCard() {
    std::int32_t atrLength = 0;
    AtrBuffer atr{};
    std::int32_t result = 0;
    if (m_lastPollOk) {
        result = RefreshSlot(m_slot, atrLength, atr);
    } else {
        result = ConnectSlot(m_slot, kShareExclusive, atrLength, atr);
        // On pcscd our own handle still holds the reader after the card was
        // pulled and answers "removed" until it is reconnected, so a fresh
        // connect would never see the card come back.
        if (result == kRemovedCard) {
            result = ReconnectSlot(m_slot, atrLength, atr);
        }
    }
    m_lastPollOk = result == 0;
    return result;
}

void CTxnConfirmDlg::OnTimer(platform::DialogWindow& window, std::uint32_t timerId) {
    if (ended_) {
        return;
    }
    if (timerId == kRemovalTimer) {
        OnRemovalTick(window);
    } else if (timerId == kConfirmTimer) {
        OnConfirmTick(window);
    }
}

void CTxnConfirmDlg::OnRemovalTick(platform::DialogWindow& window) {
    ++m_removalTicks;
    const std::int32_t result = PollCard();
    if (ServiceClosed(window, kRemovalTimer, result)) {
        return;
    }
    if (result == 0 && m_absentPolls > 0) {
        window.EnableItem(kConfirmOkButton, true);
        window.ShowItem(kConfirmOkButton, true);
        window.StopTimer(kRemovalTimer);
        m_confirmTicks = 0;
        window.StartTimer(kConfirmTimer, kTimerPeriodMs);
    }
    if (CardAbsent(result)) {
        ++m_absentPolls;
    }
    if (m_removalTicks % kTicksPerSecond == 0) {
        CountDown(window);
    }
    if (m_secondsLeft < 0) {
        window.StopTimer(kRemovalTimer);
        OnCancel(window);
    }
}

// The card service was closed under the window: another control of the
// process was destroyed, or the service was lost with the card connection.
// The card can no longer be watched, so the window could never be confirmed
// and would wait out its five minutes: it ends as cancelled at once.
bool CTxnConfirmDlg::ServiceClosed(platform::DialogWindow& window, std::uint32_t timerId,
                                   std::int32_t pollResult) {
    if (pollResult != kResultContextNotOpen) {
        return false;
    }
    window.StopTimer(timerId);
    OnCancel(window);
    return true;
}

void CTxnConfirmDlg::OnConfirmTick(platform::DialogWindow& window) {
    ++m_confirmTicks;
    const std::int32_t result = PollCard();
    if (ServiceClosed(window, kConfirmTimer, result)) {
        return;
    }
    window.EnableItem(kConfirmOkButton, !CardAbsent(result));
    if (m_confirmTicks % kTicksPerSecond == 0) {
        CountDown(window);
    }
    if (m_secondsLeft < 0) {
        window.StopTimer(kConfirmTimer);
        window.ShowMessageBox(kConfirmationTimeOutText, kConfirmationCaption);
        OnCancel(window);
    }
}

void CTxnConfirmDlg::CountDown(platform::DialogWindow& window) {
    --m_secondsLeft;
    if (m_secondsLeft >= 0) {
        ShowSecondsLeft(window);
    }
}

void CTxnConfirmDlg::ShowSecondsLeft(platform::DialogWindow& window) const {
    char status[64];
    (void)std::snprintf(status, sizeof status, kConfirmationCountdownFormat, m_secondsLeft);
    window.ShowStatus(status);
    if (WorthAnnouncing(m_secondsLeft)) {
        window.SetItemAccessibleName(platform::kDialogStatusLine, status);
    }
}

void CTxnConfirmDlg::OnOK(platform::DialogWindow& window) {
    End(window, platform::kDialogOk);
}

void CTxnConfirmDlg::OnCancel(platform::DialogWindow& window) {
    End(window, platform::kDialogCancel);
}

void CTxnConfirmDlg::End(platform::DialogWindow& window, std::int32_t code) {
    if (ended_) {
        return;
    }
    ended_ = true;
    window.StopTimer(kRemovalTimer);
    window.StopTimer(kConfirmTimer);
    window.End(code);
}

}  // namespace kestrova
