#pragma once

// A user interface that shows nothing and remembers every message box.

#include <string>
#include <vector>

#include "platform/user_interface.h"

namespace kestrova::test_support {

struct RecordedMessageBox {
    std::string text;
    std::string caption;
    platform::MessageBoxIcon icon;
};

class RecordingUserInterface final : public platform::UserInterface {
  public:
    void ShowMessageBox(std::string_view text, std::string_view caption,
                        platform::MessageBoxIcon icon) override;

    std::vector<RecordedMessageBox> messageBoxes;
};

}  // namespace kestrova::test_support
