#pragma once

// Typed reading of one JSON value of a card profile. Every reader checks the
// value's type and range itself (nothing here throws) and, on failure, gives
// an error that starts with the field's path, as in
// "readers[0].card.pinTries: must be an integer from 1 to 15".

#include <cstdint>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "sim/profiles/card_profile.h"

namespace kestrova::sim::profile {

using Json = nlohmann::json;
using Failure = std::optional<ProfileError>;

ProfileError ErrorAt(const std::string& path, std::string_view problem);

// Names a member of an object or an element of an array in a path.
std::string MemberPath(const std::string& object, std::string_view key);
std::string ElementPath(const std::string& array, std::size_t index);

// The value must be an object whose keys are all in `known`.
Failure CheckObject(const Json& value, const std::string& path,
                    std::initializer_list<std::string_view> known);
Failure CheckArray(const Json& value, const std::string& path, std::size_t maxElements);

// Printable ASCII text (0x20 to 0x7E) of minLength to maxLength characters.
Failure ReadText(const Json& value, const std::string& path, std::size_t minLength,
                 std::size_t maxLength, std::string& out);
// Hex digits in either case, spaces allowed between them.
Failure ReadHex(const Json& value, const std::string& path, std::size_t minBytes,
                std::size_t maxBytes, Bytes& out);
Failure ReadInteger(const Json& value, const std::string& path, std::int64_t min, std::int64_t max,
                    std::int64_t& out);
Failure ReadBool(const Json& value, const std::string& path, bool& out);

}  // namespace kestrova::sim::profile
