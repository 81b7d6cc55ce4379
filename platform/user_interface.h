#pragma once

// What the control shows to the user. Texts are the control's own strings:
// code page 950 bytes, converted only by the implementation that draws them.

#include <cstdint>
#include <string_view>

namespace kestrova::platform {

class ModalDialog;

enum class MessageBoxIcon { Warning };

class UserInterface {
  public:
    virtual ~UserInterface();

    // Modal: returns once the user has dismissed the box.
    virtual void ShowMessageBox(std::string_view text, std::string_view caption,
                                MessageBoxIcon icon) = 0;

    // Creates the dialog's window from its template, runs it modally on the
    // calling thread (start-up, timers, OK, Cancel delivered to the dialog)
    // and returns the code the dialog passed to DialogWindow::End.
    virtual std::int32_t RunModal(ModalDialog& dialog) = 0;

    // Safe from any thread: the message box or modal window showing now (or
    // about to show) ends as if the user had dismissed or cancelled it. For
    // a host whose user has gone, such as a page that was closed. A view
    // whose windows never wait for a person has nothing to do.
    virtual void DismissFromAnotherThread() {}

  protected:
    UserInterface() = default;
    UserInterface(const UserInterface&) = default;
    UserInterface& operator=(const UserInterface&) = default;
};

}  // namespace kestrova::platform
