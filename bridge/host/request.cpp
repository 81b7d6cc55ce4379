#include "bridge/host/request.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "control/unicode_text.h"
#include "platform/secure_wipe.h"

namespace kestrova::bridge {
namespace {

using Json = nlohmann::json;

// Parsed without exceptions: a failure is a discarded value.
Json Parse(std::string_view body) {
    return Json::parse(body.begin(), body.end(), nullptr, /*allow_exceptions=*/false);
}

Json ParseOutermost(std::string_view body) {
    const Json::parser_callback_t outermost = [](int depth, Json::parse_event_t, Json&) {
        return depth <= 1;
    };
    return Json::parse(body.begin(), body.end(), outermost, /*allow_exceptions=*/false);
}

ProtocolError NotJson() {
    return {kParseErrorCode, "the message is not JSON in UTF-8", std::nullopt};
}

ProtocolError Invalid(std::string message, std::optional<std::int64_t> id = std::nullopt) {
    return {kInvalidRequestCode, std::move(message), id};
}

// Strings of a request may hold a PIN: overwritten before they are freed.
// A walk of its own, not a recursion, however deep the message.
void WipeStrings(Json& root) {
    std::vector<Json*> pending{&root};
    while (!pending.empty()) {
        Json& value = *pending.back();
        pending.pop_back();
        if (value.is_string()) {
            platform::WipeBuffer(value.get_ref<std::string&>());
        } else if (value.is_array() || value.is_object()) {
            for (Json& element : value) {
                pending.push_back(&element);
            }
        }
    }
}

class WipedJson {
  public:
    // Of a message nested too deep only the outermost members are kept (the
    // parser itself walks without recursion), so that its id can be read;
    // TooDeep() says so.
    explicit WipedJson(std::string_view body)
        : tooDeep_(NestingDepth(body, kMaxNesting) > kMaxNesting),
          value_(tooDeep_ ? ParseOutermost(body) : Parse(body)) {}
    bool TooDeep() const { return tooDeep_; }
    // Only running out of memory for the walk's list can throw: the texts
    // then stay as they are rather than the host ending.
    ~WipedJson() {
        try {
            WipeStrings(value_);
        } catch (...) {
        }
    }
    WipedJson(const WipedJson&) = delete;
    WipedJson& operator=(const WipedJson&) = delete;
    const Json& operator*() const { return value_; }
    const Json* operator->() const { return &value_; }

  private:
    bool tooDeep_;
    Json value_;
};

AutomationError ArgumentError(AutomationErrorCode code, std::size_t index,
                              const std::string& reason) {
    const char* kind = code == AutomationErrorCode::Overflow ? "overflow" : "type mismatch";
    return {code, std::string(kind) + ": argument " + std::to_string(index + 1) + ": " + reason};
}

// A JSON integer beyond 32 bits overflows; a fraction, like a boolean, an
// array or an object, is no automation value at all.
std::variant<AutomationValue, AutomationError> ArgumentValue(const Json& value, std::size_t index) {
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    if (value.is_null()) {
        return AutomationValue::NullString();
    }
    if (value.is_string()) {
        std::optional<std::u16string> text = Utf8ToUtf16(value.get_ref<const std::string&>());
        if (!text) {
            return ArgumentError(AutomationErrorCode::TypeMismatch, index, "not UTF-8");
        }
        return AutomationValue::String(std::move(*text));
    }
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(kMax)) {
            return ArgumentError(AutomationErrorCode::Overflow, index, "beyond 32 bits");
        }
        return AutomationValue::Long(static_cast<std::int32_t>(number));
    }
    if (value.is_number_integer()) {
        const auto number = value.get<std::int64_t>();
        if (number < kMin || number > kMax) {
            return ArgumentError(AutomationErrorCode::Overflow, index, "beyond 32 bits");
        }
        return AutomationValue::Long(static_cast<std::int32_t>(number));
    }
    if (value.is_number_float()) {
        const double number = value.get<double>();
        if (std::isfinite(number) && std::trunc(number) == number) {
            if (number < kMin || number > kMax) {
                return ArgumentError(AutomationErrorCode::Overflow, index, "beyond 32 bits");
            }
            return AutomationValue::Long(static_cast<std::int32_t>(number));
        }
        return ArgumentError(AutomationErrorCode::TypeMismatch, index, "not a whole number");
    }
    return ArgumentError(
        AutomationErrorCode::TypeMismatch, index,
        std::string("a ") + value.type_name() + " is neither a number nor a string");
}

std::optional<std::int64_t> RequestId(const Json& message) {
    const auto found = message.find("id");
    if (found == message.end() || !found->is_number_integer()) {
        return std::nullopt;
    }
    if (found->is_number_unsigned()) {
        const auto id = found->get<std::uint64_t>();
        return id <= static_cast<std::uint64_t>(kMaxRequestId)
                   ? std::optional<std::int64_t>(static_cast<std::int64_t>(id))
                   : std::nullopt;
    }
    const auto id = found->get<std::int64_t>();
    return id >= 0 && id <= kMaxRequestId ? std::optional<std::int64_t>(id) : std::nullopt;
}

ProtocolError TooDeep(const Json& message) {
    return Invalid("the message nests arrays and objects deeper than " +
                       std::to_string(kMaxNesting) + " levels",
                   message.is_object() ? RequestId(message) : std::nullopt);
}

}  // namespace

std::size_t NestingDepth(std::string_view body, std::size_t limit) {
    std::size_t depth = 0;
    std::size_t deepest = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : body) {
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
            if (deepest > limit) {
                return deepest;
            }
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

namespace {

// Reads the message only up to its outermost "id" (the extension sends it
// first), keeping nothing else.
class IdReader final : public nlohmann::json_sax<Json> {
  public:
    std::optional<std::int64_t> id;

    bool null() override { return Other(); }
    bool boolean(bool) override { return Other(); }
    bool number_integer(number_integer_t value) override {
        return Id(value >= 0 && value <= kMaxRequestId ? std::optional<std::int64_t>(value)
                                                       : std::nullopt);
    }
    bool number_unsigned(number_unsigned_t value) override {
        return Id(value <= static_cast<std::uint64_t>(kMaxRequestId)
                      ? std::optional<std::int64_t>(static_cast<std::int64_t>(value))
                      : std::nullopt);
    }
    bool number_float(number_float_t, const string_t&) override { return Other(); }
    bool string(string_t& text) override {
        platform::WipeBuffer(text);
        return Other();
    }
    bool binary(binary_t&) override { return Other(); }
    bool start_object(std::size_t) override { return Open(); }
    bool key(string_t& name) override {
        idIsNext_ = depth_ == 1 && name == "id";
        return true;
    }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(); }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

  private:
    // Any other value where the id belongs means there is none.
    bool Other() { return !std::exchange(idIsNext_, false); }
    bool Id(std::optional<std::int64_t> value) {
        if (!idIsNext_) {
            return true;
        }
        id = value;
        return false;
    }
    bool Open() {
        if (std::exchange(idIsNext_, false)) {
            return false;
        }
        return ++depth_ <= kMaxNesting;
    }
    bool Close() {
        --depth_;
        return true;
    }

    std::size_t depth_ = 0;
    bool idIsNext_ = false;
};

}  // namespace

std::optional<std::int64_t> ReadRequestId(std::string_view body) {
    IdReader reader;
    Json::sax_parse(body.begin(), body.end(), &reader);
    return reader.id;
}

Request::~Request() {
    for (AutomationValue& argument : arguments) {
        if (argument.IsBstr()) {
            // The values are this request's own; only their text needs a mutable view.
            const_cast<Bstr&>(argument.AsBstr()).Wipe();
        }
    }
}

std::variant<std::string, ProtocolError> ParseHello(std::string_view body) {
    const WipedJson message(body);
    if (message.TooDeep()) {
        return TooDeep(*message);
    }
    if (message->is_discarded()) {
        return NotJson();
    }
    if (!message->is_object()) {
        return Invalid("the first message must be an object with the page's origin");
    }
    const auto origin = message->find("origin");
    if (origin == message->end() || !origin->is_string()) {
        return Invalid("the first message has no string \"origin\"");
    }
    return origin->get<std::string>();
}

std::variant<Request, ProtocolError> ParseRequest(std::string_view body) {
    const WipedJson message(body);
    if (message.TooDeep()) {
        return TooDeep(*message);
    }
    if (message->is_discarded()) {
        return NotJson();
    }
    if (!message->is_object()) {
        return Invalid("a request must be a JSON object");
    }
    const std::optional<std::int64_t> id = RequestId(*message);
    if (!id) {
        return Invalid("\"id\" must be an integer from 0 to 2^53-1");
    }
    const auto query = message->find("query");
    if (query != message->end()) {
        if (!query->is_string() || query->get<std::string>() != "status" ||
            message->contains("method")) {
            return Invalid("\"query\" must be \"status\", without a \"method\"", id);
        }
        Request request;
        request.id = *id;
        request.statusQuery = true;
        return request;
    }
    const auto method = message->find("method");
    if (method == message->end() || !method->is_string()) {
        return Invalid("\"method\" must be a string", id);
    }
    const auto arguments = message->find("args");
    if (arguments == message->end() || !arguments->is_array()) {
        return Invalid("\"args\" must be an array", id);
    }
    Request request;
    request.id = *id;
    request.method = method->get<std::string>();
    request.arguments.reserve(arguments->size());
    for (std::size_t i = 0; i < arguments->size(); ++i) {
        auto value = ArgumentValue((*arguments)[i], i);
        if (auto* error = std::get_if<AutomationError>(&value)) {
            if (!request.argumentError) {
                request.argumentError = std::move(*error);
            }
            // Keeps the count right for the dispatch layer's own check.
            request.arguments.push_back(AutomationValue::NullString());
        } else {
            request.arguments.push_back(std::move(std::get<AutomationValue>(value)));
        }
    }
    return request;
}

}  // namespace kestrova::bridge
