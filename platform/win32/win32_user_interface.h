#pragma once

// The user interface of the Windows module: the system's message boxes, and
// each modal dialog as a system modal dialog built from its template.

#include <atomic>
#include <cstdint>

#include "platform/user_interface.h"

namespace kestrova::platform {

class Win32UserInterface final : public UserInterface {
  public:
    void ShowMessageBox(std::string_view text, std::string_view caption,
                        MessageBoxIcon icon) override;
    std::int32_t RunModal(ModalDialog& dialog) override;
    // Closes the boxes and windows the showing thread has up.
    void DismissFromAnotherThread() override;

  private:
    std::atomic<std::uint32_t> showingThread_{0};
};

}  // namespace kestrova::platform
