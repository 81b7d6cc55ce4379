#pragma once

// The card part of a card profile, shared by the profile parser's files.

#include <string>

#include "sim/card/card_content.h"
#include "sim/profiles/profile_fields.h"

namespace kestrova::sim::profile {

Failure ParseCardContent(const Json& value, const std::string& path, CardContent& out);

}  // namespace kestrova::sim::profile
