#pragma once

// The readers of the simulated PC/SC service, as the card directives move
// cards in and out of them.

#include <optional>
#include <string>

namespace kestrova::host {

class SimulatedReaders {
  public:
    virtual ~SimulatedReaders() = default;

    // The reader a card directive without one acts on; empty when there is
    // none.
    virtual std::string DefaultReader() const = 0;

    // Nothing when the reader exists and has a card to move, else why not.
    virtual std::optional<std::string> CheckReader(const std::string& reader) const = 0;

    // Nothing when done, else why not ("the card is already out of ...").
    // Called from the scheduled events' thread as well as the caller's.
    virtual std::optional<std::string> RemoveCard(const std::string& reader) = 0;
    virtual std::optional<std::string> InsertCard(const std::string& reader) = 0;

  protected:
    SimulatedReaders() = default;
    SimulatedReaders(const SimulatedReaders&) = default;
    SimulatedReaders& operator=(const SimulatedReaders&) = default;
};

}  // namespace kestrova::host
