#pragma once

// What the host sends back, as the JSON body of one message.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "control/automation_value.h"

namespace kestrova::bridge {

// {"ready":true,"version":"...","protocol":N}: the connection is open for
// calls; N is the wire protocol's version.
std::string ReadyReply();

// {"id":N,"result":...}
std::string ResultReply(std::int64_t id, const AutomationValue& result);

// {"id":N|null,"error":{"code":C,"message":"..."}}; the message need not be
// valid UTF-8 (what is not becomes U+FFFD).
std::string ErrorReply(std::optional<std::int64_t> id, std::int32_t code, std::string_view message);

// An automation error's code as a page's script saw it: a signed 32-bit
// number (0x80020006 is -2147352570).
std::int32_t ScriptErrorNumber(std::uint32_t code);

}  // namespace kestrova::bridge
