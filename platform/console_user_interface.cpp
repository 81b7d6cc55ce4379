#include "platform/console_user_interface.h"

#include <iostream>
#include <utility>

#include "platform/console_text.h"
#include "platform/modal_dialog.h"

namespace kestrova::platform {

ConsoleUserInterface::ConsoleUserInterface() : out_(&std::cerr) {}

ConsoleUserInterface::ConsoleUserInterface(std::ostream& out, ConfirmMode confirm, int inputFd,
                                           std::string answerReason)
    : out_(&out), confirm_(confirm), inputFd_(inputFd), answerReason_(std::move(answerReason)) {}

void ConsoleUserInterface::ShowMessageBox(std::string_view text, std::string_view caption,
                                          MessageBoxIcon /*icon*/) {
    *out_ << ConsoleText(caption) << ": " << ConsoleText(text) << '\n' << std::flush;
}

std::int32_t ConsoleUserInterface::RunModal(ModalDialog& dialog) {
    return RunConsoleModal(dialog, *out_, confirm_, inputFd_, answerReason_);
}

}  // namespace kestrova::platform
