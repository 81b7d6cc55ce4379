#pragma once

// The user interface of a host without a display: each message box becomes
// one UTF-8 line "caption: text" on the given stream (standard error by
// default), and returns as if the user had pressed OK. A modal window is
// printed on the same stream and answered from standard input, or by the
// confirm mode (kestrova run --confirm ok|cancel).

#include <iosfwd>
#include <string>

#include "platform/console_modal_run.h"
#include "platform/user_interface.h"

namespace kestrova::platform {

class ConsoleUserInterface final : public UserInterface {
  public:
    ConsoleUserInterface();
    // `answerReason`: why kOk or kCancel answers without asking.
    explicit ConsoleUserInterface(std::ostream& out, ConfirmMode confirm = ConfirmMode::kAsk,
                                  int inputFd = 0, std::string answerReason = "--confirm");

    void ShowMessageBox(std::string_view text, std::string_view caption,
                        MessageBoxIcon icon) override;
    std::int32_t RunModal(ModalDialog& dialog) override;

  private:
    std::ostream* out_;
    ConfirmMode confirm_ = ConfirmMode::kAsk;
    int inputFd_ = 0;
    std::string answerReason_ = "--confirm";
};

}  // namespace kestrova::platform
