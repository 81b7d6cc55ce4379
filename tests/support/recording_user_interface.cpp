#include "tests/support/recording_user_interface.h"

namespace kestrova::test_support {

void RecordingUserInterface::ShowMessageBox(std::string_view text, std::string_view caption,
                                            platform::MessageBoxIcon icon) {
    messageBoxes.push_back({std::string(text), std::string(caption), icon});
}

std::int32_t RecordingUserInterface::RunModal(platform::ModalDialog& dialog) {
    auto& window = *modalWindows.emplace_back(std::make_unique<ScriptedDialogWindow>(dialog));
    window.Open();
    if (!window.Ended()) {
        switch (modalScript) {
            case ModalScript::kEndWithCancel:
                dialog.OnCancel(window);
                break;
            case ModalScript::kEndWithOk:
                dialog.OnOK(window);
                break;
            case ModalScript::kDriveByHand:
                if (driveModal) {
                    driveModal(window);
                }
                break;
        }
    }
    window.PressCancel();
    return window.Ended() ? window.EndCode() : platform::kDialogCancel;
}

}  // namespace kestrova::test_support
