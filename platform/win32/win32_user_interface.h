#pragma once

// The user interface of the Windows module: the system's message boxes, and
// each modal dialog as a system modal dialog built from its template.

#include "platform/user_interface.h"

namespace kestrova::platform {

class Win32UserInterface final : public UserInterface {
  public:
    void ShowMessageBox(std::string_view text, std::string_view caption,
                        MessageBoxIcon icon) override;
    std::int32_t RunModal(ModalDialog& dialog) override;
};

}  // namespace kestrova::platform
