#include "platform/modal_dialog.h"

namespace kestrova::platform {

DialogWindow::~DialogWindow() = default;

ModalDialog::~ModalDialog() = default;

}  // namespace kestrova::platform
