// The confirmation window as the Windows module shows it, run under Wine by
// confirm_window_test.sh, which presses the keys. The card is taken out and
// put back through the simulated service while the window waits.
//
//   confirm_window.exe ok|enter-on-cancel|cancel|timeout
//
// ok: the card moves, the person tabs to OK and presses Enter; the window
// must answer OK. enter-on-cancel: the card moves, the person presses Enter
// with the focus still on Cancel, where the window put it; Cancel.
// cancel: the person presses Escape; Cancel.
// timeout: the card moves but nobody confirms; the time limit is cut to a few
// seconds, the time-out box comes, and the window answers Cancel.
// The program prints "OK enabled" once the window's second phase has begun.
// Exit status 0 when the answer is the expected one.

#include <cstdio>
#include <cstring>

#include "platform/default_user_interface.h"
#include "platform/modal_dialog.h"
#include "reader/atr_text.h"
#include "reader/reader_operations.h"
#include "sim/service/simulated_pcsc.h"
#include "txn/txn_confirm_dlg.h"

namespace {

constexpr const char* kReader = "Kestrova Virtual Reader 0";
constexpr int kShortenedSeconds = 3;
constexpr std::uint32_t kConfirmTimer = 0x2004;  // runs once OK has been enabled

class MovingCardDialog final : public kestrova::CTxnConfirmDlg {
  public:
    MovingCardDialog(kestrova::platform::UserInterface& ui, bool moveCard, bool shortClock)
        : CTxnConfirmDlg(ui), moveCard_(moveCard), shortClock_(shortClock) {}

    void OnInitDialog(kestrova::platform::DialogWindow& window) override {
        CTxnConfirmDlg::OnInitDialog(window);
        if (shortClock_) {
            m_secondsLeft = kShortenedSeconds;
        }
    }

    // Out before the first poll; back in once a poll has seen it gone.
    void OnTimer(kestrova::platform::DialogWindow& window, std::uint32_t timerId) override {
        if (moveCard_ && !removed_) {
            removed_ = kestrova::sim::RemoveCard(kReader);
        } else if (removed_ && !inserted_ && m_absentPolls > 0) {
            inserted_ = kestrova::sim::InsertCard(kReader);
        }
        CTxnConfirmDlg::OnTimer(window, timerId);
        if (timerId == kConfirmTimer && !announced_) {
            announced_ = true;
            std::printf("OK enabled\n");
            std::fflush(stdout);
        }
    }

  private:
    bool moveCard_;
    bool shortClock_;
    bool removed_ = false;
    bool inserted_ = false;
    bool announced_ = false;
};

void Fill(std::array<char, 20>& field, const char* text) {
    std::strncpy(field.data(), text, field.size() - 1);
}

}  // namespace

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "";
    const bool ok = std::strcmp(mode, "ok") == 0;
    const bool enterOnCancel = std::strcmp(mode, "enter-on-cancel") == 0;
    const bool timeout = std::strcmp(mode, "timeout") == 0;
    if (!ok && !enterOnCancel && !timeout && std::strcmp(mode, "cancel") != 0) {
        std::fprintf(stderr, "usage: confirm_window ok|enter-on-cancel|cancel|timeout\n");
        return 2;
    }
    std::int32_t slot = 0;
    std::int32_t readers = 0;
    std::int32_t atrLength = 0;
    kestrova::AtrText atr{};
    if (const std::int32_t opened = kestrova::OpenCard(kReader, slot, readers, atrLength, atr);
        opened != 0) {
        std::fprintf(stderr, "OpenCard failed: %d\n", static_cast<int>(opened));
        return 1;
    }
    MovingCardDialog dialog(kestrova::platform::DefaultUserInterface(),
                            ok || enterOnCancel || timeout, timeout);
    dialog.m_slot = slot;
    dialog.m_rowCount = 3;
    Fill(dialog.m_rowValue[0], "0012345678901");
    Fill(dialog.m_rowValue[1], "9876543210987");
    Fill(dialog.m_rowValue[2], "1,234");
    const std::int32_t answer = dialog.DoModal();
    const std::int32_t expected =
        ok ? kestrova::platform::kDialogOk : kestrova::platform::kDialogCancel;
    std::printf("answer %d\n", static_cast<int>(answer));
    return answer == expected ? 0 : 1;
}
