#pragma once

// A user interface that shows nothing and remembers every message box.

#include <string>
#include <vector>

#include "platform/modal_dialog.h"
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
    std::int32_t RunModal(platform::ModalDialog& dialog) override;

    std::int32_t modalResult = platform::kDialogCancel;
    int modalRuns = 0;

    std::vector<RecordedMessageBox> messageBoxes;
};

}  // namespace kestrova::test_support
