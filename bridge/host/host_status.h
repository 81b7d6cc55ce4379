#pragma once

// The page API's kestrova.status(): what the host sees of the PC/SC service
// without a card command, so that a page can tell its customer what is
// wrong before it asks for a card.

#include <cstdint>
#include <string>

namespace kestrova::bridge {

// {"id":N,"result":{"service":S,"readers":R,"cards":C,"version":V,"protocol":P}}
// S: "running"; "stopped" (the service is installed but not running, or
// gone); "missing" (its library cannot be loaded); "failing" (another of the
// service's codes). R and C: the readers listed and those with a card in
// them (0 unless running).
std::string StatusReply(std::int64_t id);

}  // namespace kestrova::bridge
