#pragma once

// The transaction confirmation window's logic: it shows one to three rows of
// the transaction and enables OK only once the card has been taken out and put
// back, within 300 seconds. It knows no toolkit: UserInterface::RunModal draws
// it and delivers its timers.

#include <array>
#include <cstdint>

#include "platform/modal_dialog.h"
#include "txn/tag_extraction.h"

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

    // Kept by the window while it runs.
    std::int32_t m_absentPolls = 0;   // polls that found no card or a removed one
    std::int32_t m_secondsLeft = 0;   // of the 300-second limit, from 299
    std::int32_t m_removalTicks = 0;  // ticks of the removal timer
    std::int32_t m_confirmTicks = 0;  // ticks of the confirmation timer
    std::array<TagText, 10> m_tagText{};
    bool m_lastPollOk = false;

    // One card query on m_slot; 0 when the card answers.
    std::int32_t PollCard();
    // Fills m_tagText[index] from m_msg.
    void ExtractTag(const char* openTag, const char* closeTag, std::int32_t index);
    // Moves the instruction and the buttons up by one row, and shortens the
    // window, when fewer than three rows are shown.
    void CompactLayout(platform::DialogWindow& window);

    // ModalDialog
    const platform::DialogTemplate& Template() const override;
    void OnInitDialog(platform::DialogWindow& window) override;
    void OnTimer(platform::DialogWindow& window, std::uint32_t timerId) override;
    void OnOK(platform::DialogWindow& window) override;
    void OnCancel(platform::DialogWindow& window) override;

  private:
    void OnRemovalTick(platform::DialogWindow& window);
    void OnConfirmTick(platform::DialogWindow& window);
    bool ServiceClosed(platform::DialogWindow& window, std::uint32_t timerId,
                       std::int32_t pollResult);
    void CountDown(platform::DialogWindow& window);
    void ShowSecondsLeft(platform::DialogWindow& window) const;
    void End(platform::DialogWindow& window, std::int32_t code);

    platform::UserInterface& userInterface_;
    bool ended_ = false;
};

}  // namespace kestrova
