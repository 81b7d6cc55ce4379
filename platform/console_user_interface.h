#pragma once

// The user interface of a host without a display: each message box becomes
// one UTF-8 line "caption: text" on the given stream (standard error by
// default), and returns as if the user had pressed OK.

#include <iosfwd>

#include "platform/user_interface.h"

namespace kestrova::platform {

class ConsoleUserInterface final : public UserInterface {
  public:
    ConsoleUserInterface();
    explicit ConsoleUserInterface(std::ostream& out);

    void ShowMessageBox(std::string_view text, std::string_view caption,
                        MessageBoxIcon icon) override;
    std::int32_t RunModal(ModalDialog& dialog) override;

  private:
    std::ostream* out_;
};

}  // namespace kestrova::platform
