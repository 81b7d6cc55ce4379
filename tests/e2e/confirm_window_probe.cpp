// The confirmation window's logic on the system's PC/SC service, ticked by
// hand: it connects the card in the reader named on the command line, opens
// the window on a scripted view, and for every line on standard input runs
// one timer tick and prints the window's state.

#include <cstdint>
#include <iostream>
#include <string>

#include "reader/reader_operations.h"
#include "tests/support/recording_user_interface.h"
#include "tests/support/scripted_dialog_window.h"
#include "txn/txn_confirm_dlg.h"

int main(int argc, char** argv) {
    using namespace kestrova;
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " READER\n";
        return 2;
    }
    std::int32_t slot = 0;
    std::int32_t readerCount = 0;
    std::int32_t atrTextLength = 0;
    AtrText atrText{};
    const std::int32_t opened = OpenCard(argv[1], slot, readerCount, atrTextLength, atrText);
    std::cout << "open " << opened << std::endl;
    if (opened != 0) {
        return 1;
    }
    test_support::RecordingUserInterface userInterface;
    CTxnConfirmDlg dialog(userInterface);
    dialog.m_slot = slot;
    dialog.m_rowCount = 1;
    test_support::ScriptedDialogWindow window(dialog);
    window.Open();
    std::string line;
    while (std::getline(std::cin, line) && !window.Ended()) {
        window.Tick();
        std::cout << "ok=" << (window.OkEnabled() ? 1 : 0)
                  << " confirming=" << (window.TimerRunning(0x2004) ? 1 : 0) << std::endl;
    }
    return 0;
}
