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

// A page refused by the hosting-page check, and a call refused because too
// many wait for an answer (JSON-RPC's range for a server's own errors).
inline constexpr std::int32_t kRefusedPageCode = -32001;
inline constexpr std::int32_t kBusyCode = -32002;

// No call needs more than an object holding an array: anything nested deeper
// is refused before it is walked.
inline constexpr std::size_t kMaxNesting = 16;

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

// How deep the arrays and objects of a JSON text nest, counted without
// parsing it and stopping once beyond `limit`: a bracket inside a string
// does not count.
std::size_t NestingDepth(std::string_view body, std::size_t limit);

// The request's "id" when the message is a request whose id can be read,
// for refusing it without carrying it out.
std::optional<std::int64_t> ReadRequestId(std::string_view body);

// The first message: {"origin": "https://..."}.
std::variant<std::string, ProtocolError> ParseHello(std::string_view body);

std::variant<Request, ProtocolError> ParseRequest(std::string_view body);

}  // namespace kestrova::bridge
