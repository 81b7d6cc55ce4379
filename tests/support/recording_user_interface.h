#pragma once

// A user interface that shows nothing and remembers every message box and
// every modal window. A modal window is a ScriptedDialogWindow: it ends at
// once with OK or Cancel (through the dialog's own handling), or a test
// drives it by hand while it runs.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/modal_dialog.h"
#include "platform/user_interface.h"
#include "tests/support/scripted_dialog_window.h"

namespace kestrova::test_support {

struct RecordedMessageBox {
    std::string text;
    std::string caption;
    platform::MessageBoxIcon icon;
};

enum class ModalScript {
    kEndWithCancel,  // the user cancels at once
    kEndWithOk,      // the user confirms at once, whatever the OK button's state
    kDriveByHand,    // driveModal runs while the window is up
};

class RecordingUserInterface final : public platform::UserInterface {
  public:
    void ShowMessageBox(std::string_view text, std::string_view caption,
                        platform::MessageBoxIcon icon) override;
    // Opens a ScriptedDialogWindow and follows modalScript. A window still
    // open afterwards is closed as the user would (Cancel).
    std::int32_t RunModal(platform::ModalDialog& dialog) override;

    ModalScript modalScript = ModalScript::kEndWithCancel;
    std::function<void(ScriptedDialogWindow&)> driveModal;

    std::vector<RecordedMessageBox> messageBoxes;
    // Every window run, as it was when it ended.
    std::vector<std::unique_ptr<ScriptedDialogWindow>> modalWindows;
};

}  // namespace kestrova::test_support
