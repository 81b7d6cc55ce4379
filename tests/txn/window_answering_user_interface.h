#pragma once

// A user interface for the flow's tests: the confirmation window is not run,
// only noted with what the flow gave it, and ends with the answer the test
// chose; message boxes are recorded.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/modal_dialog.h"
#include "platform/user_interface.h"
#include "txn/txn_confirm_dlg.h"

namespace kestrova::testing {

struct ShownWindow {
    std::vector<std::string> rows;  // m_rowCount values
    std::int32_t slot = 0;
    const char* message = nullptr;
};

struct ShownBox {
    std::string text;
    std::string caption;
};

class WindowAnsweringUserInterface final : public platform::UserInterface {
  public:
    void ShowMessageBox(std::string_view text, std::string_view caption,
                        platform::MessageBoxIcon /*icon*/) override {
        boxes.push_back({std::string(text), std::string(caption)});
    }

    std::int32_t RunModal(platform::ModalDialog& dialog) override {
        ShownWindow shown;
        if (const auto* window = dynamic_cast<const CTxnConfirmDlg*>(&dialog)) {
            for (std::int32_t i = 0; i < window->m_rowCount && i < 3; ++i) {
                shown.rows.emplace_back(window->m_rowValue[static_cast<std::size_t>(i)].data());
            }
            shown.slot = window->m_slot;
            shown.message = window->m_msg;
        }
        windows.push_back(shown);
        if (whileShown) {
            whileShown();
        }
        return answer;
    }

    std::int32_t answer = platform::kDialogOk;
    std::function<void()> whileShown;  // runs while the window is up
    std::vector<ShownWindow> windows;
    std::vector<ShownBox> boxes;
};

}  // namespace kestrova::testing
