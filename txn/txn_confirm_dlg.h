#pragma once

// The transaction confirmation window's logic: it shows one to three rows of
// the transaction and enables OK only once the card has been taken out and put
// back, within 300 seconds. It knows no toolkit: UserInterface::RunModal draws
// it and delivers its timers.

#include <array>
#include <cstdint>

#include "platform/modal_dialog.h"

namespace kestrova {

namespace platform {
class UserInterface;
}

class CTxnConfirmDlg : public platform::ModalDialog {
  public:
    explicit CTxnConfirmDlg(platform::UserInterface& userInterface);

    // Runs the window modally; kDialogOk only when the user confirmed.
    std::int32_t DoModal();

    // Filled by the transaction flow before DoModal.
    std::array<std::array<char, 20>, 3> m_rowValue{};
    std::int32_t m_rowCount = 0;
    std::int32_t m_slot = 0;
    const char* m_msg = nullptr;  // tagged message, not owned; null reads as empty

    // ModalDialog
    const platform::DialogTemplate& Template() const override;
    void OnInitDialog(platform::DialogWindow& window) override;
    void OnTimer(platform::DialogWindow& window, std::uint32_t timerId) override;
    void OnOK(platform::DialogWindow& window) override;
    void OnCancel(platform::DialogWindow& window) override;

  private:
    platform::UserInterface& userInterface_;
    // The dialog helper adds the remaining members (m_absentPolls,
    // m_secondsLeft, m_removalTicks, m_confirmTicks, m_tagText, m_lastPollOk)
    // and PollCard, ExtractTag, CompactLayout.
};

}  // namespace kestrova
