#include "host/card_moving_user_interface.h"

#include <ostream>
#include <string>

#include "host/scheduled_events.h"

namespace kestrova::host {

CardMovingUserInterface::CardMovingUserInterface(platform::UserInterface& view,
                                                 SimulatedReaders& readers, std::ostream& log)
    : view_(view), readers_(readers), log_(log) {}

void CardMovingUserInterface::ShowMessageBox(std::string_view text, std::string_view caption,
                                             platform::MessageBoxIcon icon) {
    view_.ShowMessageBox(text, caption, icon);
}

std::int32_t CardMovingUserInterface::RunModal(platform::ModalDialog& dialog) {
    const std::string reader = readers_.DefaultReader();
    ScheduledEvents events;
    events.Schedule(kCardOutAfter, [this, reader] { return readers_.RemoveCard(reader); });
    events.Schedule(kCardBackAfter, [this, reader] { return readers_.InsertCard(reader); });
    log_ << "simulate-removal: the card of " << reader << " is taken out after "
         << kCardOutAfter.count() << " ms and put back after " << kCardBackAfter.count() << " ms\n";
    const std::int32_t code = view_.RunModal(dialog);
    events.Stop();
    for (const std::string& failure : events.TakeFailures()) {
        log_ << "simulate-removal: " << failure << '\n';
    }
    // A card left out by a window that ended early goes back for the next
    // call; when it is in already, that is no failure.
    static_cast<void>(readers_.InsertCard(reader));
    return code;
}

void CardMovingUserInterface::DismissFromAnotherThread() {
    view_.DismissFromAnotherThread();
}

}  // namespace kestrova::host
