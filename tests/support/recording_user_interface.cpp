#include "tests/support/recording_user_interface.h"

namespace kestrova::test_support {

void RecordingUserInterface::ShowMessageBox(std::string_view text, std::string_view caption,
                                            platform::MessageBoxIcon icon) {
    messageBoxes.push_back({std::string(text), std::string(caption), icon});
}

}  // namespace kestrova::test_support
