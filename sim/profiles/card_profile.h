#pragma once

// Card profiles: the readers of a simulated PC/SC service and the financial
// card in each, written as JSON (format: sim/profiles/PROFILES.md). Parsing never
// throws: bad input gives an error that names the field.

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "sim/card/card_content.h"
#include "sim/service/simulated_pcsc.h"

namespace kestrova::sim {

struct ReaderProfile {
    std::string name;
    bool cardPresent = false;
    Attributes attributes;
    std::optional<CardContent> card;  // none: a reader that has no card at all
};

struct CardProfile {
    std::vector<ReaderProfile> readers;
};

struct ProfileError {
    // "readers[0].card.pin: must be 6 to 12 digits", or where the JSON text
    // itself is broken.
    std::string message;
};

using ProfileResult = std::variant<CardProfile, ProfileError>;

ProfileResult ParseCardProfile(std::string_view jsonText);

// Reads and parses the file; an error names the file.
ProfileResult LoadCardProfile(const std::string& path);

// The built-in profile (examples/default-profile.json): "Kestrova Virtual
// Reader 0" with a card holding two EF1001 accounts and one EF1002 account,
// PIN 123456, and a keypad reader "ACS ACR83U 0" with its own card.
std::string_view DefaultCardProfileText();
CardProfile DefaultCardProfile();

}  // namespace kestrova::sim
