#pragma once

// Builds the readers and cards of a profile into the simulated PC/SC service
// of this process: what `kestrova run --simulate` and tests of the whole
// control start from.

#include <string>

#include "sim/profiles/card_profile.h"

namespace kestrova::sim {

// Resets the service, then adds the profile's readers in order, each with a
// FinancialCard of its content (taken out when the profile says the card is
// not present). The event log starts empty afterwards. False, with the reason
// in *error (when given), if the service refuses a reader; the service then
// holds the readers added before it.
bool InstallCardProfile(const CardProfile& profile, std::string* error = nullptr);

}  // namespace kestrova::sim
