#include "bridge/host/reply.h"

#include <nlohmann/json.hpp>

#include "host/value_format.h"

#ifndef KESTROVA_VERSION
#error "The build gives the host its version"
#endif
#ifndef KESTROVA_PROTOCOL_VERSION
#error "The build gives the host its protocol version (bridge/protocol_version.cmake)"
#endif

namespace kestrova::bridge {
namespace {

std::string IdText(std::optional<std::int64_t> id) {
    return id ? std::to_string(*id) : "null";
}

std::string JsonString(std::string_view text) {
    return nlohmann::json(std::string(text))
        .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

std::string ReadyReply() {
    return "{\"ready\":true,\"version\":" + JsonString(KESTROVA_VERSION) +
           ",\"protocol\":" + std::to_string(KESTROVA_PROTOCOL_VERSION) + "}";
}

std::string ResultReply(std::int64_t id, const AutomationValue& result) {
    return "{\"id\":" + IdText(id) + ",\"result\":" + host::FormatValueJson(result) + "}";
}

// An error message quotes at most this much of what it was given, so that
// every error reply, escaped, stays far within 1 MiB.
constexpr std::size_t kMaxErrorMessageBytes = 4096;

std::string_view CutAtCharacter(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    std::size_t end = limit;
    // Not inside a UTF-8 sequence: back to the byte that starts one.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0U) == 0x80U) {
        --end;
    }
    return text.substr(0, end);
}

std::string ErrorReply(std::optional<std::int64_t> id, std::int32_t code,
                       std::string_view message) {
    const std::string_view kept = CutAtCharacter(message, kMaxErrorMessageBytes);
    std::string quoted(kept);
    if (kept.size() < message.size()) {
        quoted += "...";
    }
    return "{\"id\":" + IdText(id) + ",\"error\":{\"code\":" + std::to_string(code) +
           ",\"message\":" + JsonString(quoted) + "}}";
}

std::int32_t ScriptErrorNumber(std::uint32_t code) {
    return static_cast<std::int32_t>(code);
}

}  // namespace kestrova::bridge
