#include <utility>

#include "sim/profiles/card_profile.h"

namespace kestrova::sim {

CardProfile DefaultCardProfile() {
    ProfileResult result = ParseCardProfile(DefaultCardProfileText());
    if (auto* profile = std::get_if<CardProfile>(&result)) {
        return std::move(*profile);
    }
    // Unreachable: a test parses the built-in text.
    return {};
}

}  // namespace kestrova::sim
