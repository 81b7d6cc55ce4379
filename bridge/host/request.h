#pragma once

// What the extension sends, read from one message's JSON: the origin that
// opens a connection, then calls.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "control/automation_error.h"
#include "control/automation_value.h"

namespace kestrova::bridge {

// Codes of the host's own refusals, beside the dispatch layer's.
inline constexpr std::int32_t kParseErrorCode = -32700;
inline constexpr std::int32_t kInvalidRequestCode = -32600;
inline constexpr std::int32_t kInternalErrorCode = -32603;
// The host's status asked for a page outside the allowed bank sites.
inline constexpr std::int32_t kPageNotAllowedCode = -32001;

// The largest id a page's script can count to exactly.
inline constexpr std::int64_t kMaxRequestId = (std::int64_t{1} << 53) - 1;

struct ProtocolError {
    std::int32_t code;
    std::string message;
    std::optional<std::int64_t> id;  // when the request's own id could be read
};

struct Request {
    std::int64_t id = 0;
    // {"id":N,"query":"status"}: the host's own status, not a method of the
    // control; method and arguments are then empty.
    bool statusQuery = false;
    std::string method;
    std::vector<AutomationValue> arguments;
    // The first argument no automation value can hold (a boolean, an array,
    // a fraction, a number beyond 32 bits); reported after the method's name
    // and argument count are checked, as the dispatch layer orders them.
    std::optional<AutomationError> argumentError;

    Request() = default;
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;
    Request(Request&&) = default;
    Request& operator=(Request&&) = default;
    // A PIN may be among the arguments.
    ~Request();
};

// The first message: {"origin": "https://..."}.
std::variant<std::string, ProtocolError> ParseHello(std::string_view body);

std::variant<Request, ProtocolError> ParseRequest(std::string_view body);

}  // namespace kestrova::bridge
