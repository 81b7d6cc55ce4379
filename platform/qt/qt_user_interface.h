#pragma once

// The user interface on a desktop: Qt 6 Widgets message boxes and modal
// windows. Creates the QApplication on first use when the host has none.
// Everything runs on the calling thread, which must be the one that runs Qt.

#include <memory>

#include "platform/user_interface.h"

namespace kestrova::platform {

class QtUserInterface final : public UserInterface {
  public:
    QtUserInterface() = default;

    void ShowMessageBox(std::string_view text, std::string_view caption,
                        MessageBoxIcon icon) override;
    std::int32_t RunModal(ModalDialog& dialog) override;
    // Closes the active modal widget from Qt's own thread.
    void DismissFromAnotherThread() override;
};

std::unique_ptr<UserInterface> MakeQtUserInterface();

}  // namespace kestrova::platform
