#include "tests/support/recording_user_interface.h"

namespace kestrova::test_support {

void RecordingUserInterface::ShowMessageBox(std::string_view text, std::string_view caption,
                                            platform::MessageBoxIcon icon) {
    messageBoxes.push_back({std::string(text), std::string(caption), icon});
}

std::int32_t RecordingUserInterface::RunModal(platform::ModalDialog& /*dialog*/) {
    ++modalRuns;
    return modalResult;
}

}  // namespace kestrova::test_support
