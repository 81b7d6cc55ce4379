#include "sim/profiles/profile_fields.h"

#include <algorithm>
#include <limits>

#include "platform/ascii_text.h"

namespace kestrova::sim::profile {
namespace {

std::string LengthRange(std::size_t min, std::size_t max, std::string_view unit) {
    if (min == max) {
        return std::to_string(min) + " " + std::string(unit);
    }
    return std::to_string(min) + " to " + std::to_string(max) + " " + std::string(unit);
}

}  // namespace

ProfileError ErrorAt(const std::string& path, std::string_view problem) {
    return {path + ": " + std::string(problem)};
}

std::string MemberPath(const std::string& object, std::string_view key) {
    return object.empty() ? std::string(key) : object + "." + std::string(key);
}

std::string ElementPath(const std::string& array, std::size_t index) {
    return array + "[" + std::to_string(index) + "]";
}

Failure CheckObject(const Json& value, const std::string& path,
                    std::initializer_list<std::string_view> known) {
    if (!value.is_object()) {
        return ErrorAt(path.empty() ? "profile" : path, "must be an object");
    }
    for (const auto& member : value.items()) {
        if (std::find(known.begin(), known.end(), member.key()) == known.end()) {
            return ErrorAt(MemberPath(path, member.key()), "unknown field");
        }
    }
    return std::nullopt;
}

Failure CheckArray(const Json& value, const std::string& path, std::size_t maxElements) {
    if (!value.is_array()) {
        return ErrorAt(path, "must be an array");
    }
    if (value.size() > maxElements) {
        return ErrorAt(path, "must have at most " + std::to_string(maxElements) + " elements");
    }
    return std::nullopt;
}

Failure ReadText(const Json& value, const std::string& path, std::size_t minLength,
                 std::size_t maxLength, std::string& out) {
    const std::string requirement =
        "must be a text of " + LengthRange(minLength, maxLength, "printable ASCII characters");
    if (!value.is_string()) {
        return ErrorAt(path, requirement);
    }
    const auto& text = value.get_ref<const std::string&>();
    const bool printable = std::all_of(text.begin(), text.end(), [](char character) {
        return character >= 0x20 && character <= 0x7E;
    });
    if (!printable || text.size() < minLength || text.size() > maxLength) {
        return ErrorAt(path, requirement);
    }
    out = text;
    return std::nullopt;
}

Failure ReadHex(const Json& value, const std::string& path, std::size_t minBytes,
                std::size_t maxBytes, Bytes& out) {
    const std::string requirement =
        "must be hex text of " + LengthRange(minBytes, maxBytes, "bytes");
    if (!value.is_string()) {
        return ErrorAt(path, requirement);
    }
    Bytes bytes;
    int high = -1;
    for (const char character : value.get_ref<const std::string&>()) {
        if (character == ' ') {
            continue;
        }
        const int digit = platform::HexDigitValue(character);
        if (digit < 0) {
            return ErrorAt(path, requirement + " (found a character that is no hex digit)");
        }
        if (high < 0) {
            high = digit;
            continue;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
        high = -1;
        if (bytes.size() > maxBytes) {
            return ErrorAt(path, requirement);
        }
    }
    if (high >= 0) {
        return ErrorAt(path, requirement + " (odd number of digits)");
    }
    if (bytes.size() < minBytes) {
        return ErrorAt(path, requirement);
    }
    out = std::move(bytes);
    return std::nullopt;
}

Failure ReadInteger(const Json& value, const std::string& path, std::int64_t min, std::int64_t max,
                    std::int64_t& out) {
    auto outOfRange = [&] {
        return ErrorAt(
            path, "must be an integer from " + std::to_string(min) + " to " + std::to_string(max));
    };
    std::int64_t number = 0;
    if (value.is_number_unsigned()) {
        const auto unsignedNumber = value.get<std::uint64_t>();
        if (unsignedNumber > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return outOfRange();
        }
        number = static_cast<std::int64_t>(unsignedNumber);
    } else if (value.is_number_integer()) {
        number = value.get<std::int64_t>();
    } else {
        return outOfRange();
    }
    if (number < min || number > max) {
        return outOfRange();
    }
    out = number;
    return std::nullopt;
}

Failure ReadBool(const Json& value, const std::string& path, bool& out) {
    if (!value.is_boolean()) {
        return ErrorAt(path, "must be true or false");
    }
    out = value.get<bool>();
    return std::nullopt;
}

}  // namespace kestrova::sim::profile
