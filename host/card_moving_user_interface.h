#pragma once

// `simulate-removal=auto`: while a modal window is up, the simulated card is
// taken out of its reader and put back, as a person does for the
// confirmation window, so that a page developer can press OK on the virtual
// card. Message boxes and dismissal go to the view as they are.

#include <chrono>
#include <iosfwd>

#include "host/simulated_readers.h"
#include "platform/user_interface.h"

namespace kestrova::host {

class CardMovingUserInterface final : public platform::UserInterface {
  public:
    // The card moved is the readers' default one (the profile's first reader
    // with a card); a move that fails is told on `log`. All three outlive
    // this object.
    CardMovingUserInterface(platform::UserInterface& view, SimulatedReaders& readers,
                            std::ostream& log);

    void ShowMessageBox(std::string_view text, std::string_view caption,
                        platform::MessageBoxIcon icon) override;
    std::int32_t RunModal(platform::ModalDialog& dialog) override;
    void DismissFromAnotherThread() override;

    // As in `kestrova demo`.
    static constexpr std::chrono::milliseconds kCardOutAfter{1000};
    static constexpr std::chrono::milliseconds kCardBackAfter{2000};

  private:
    platform::UserInterface& view_;
    SimulatedReaders& readers_;
    std::ostream& log_;
};

}  // namespace kestrova::host
