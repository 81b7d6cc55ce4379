// The reader part of a card profile: the list of readers, their attributes
// and whether each holds a card. The card part is in card_content_parser.cpp.

#include <cerrno>
#include <cstdint>
#include <exception>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <system_error>

#include "platform/ascii_text.h"
#include "sim/profiles/card_profile.h"
#include "sim/profiles/profile_fields.h"
#include "sim/profiles/profile_parsing.h"

namespace kestrova::sim {
namespace {

using profile::ErrorAt;
using profile::Failure;
using profile::Json;
using profile::MemberPath;

constexpr std::size_t kMaxProfileBytes = 1 << 20;
constexpr std::size_t kMaxReaders = 64;
constexpr std::size_t kMaxReaderName = 127;
constexpr std::size_t kMaxAttributes = 32;
constexpr std::size_t kMaxAttributeBytes = 264;

struct NamedAttribute {
    std::string_view name;
    std::uint32_t id;
};

// The attributes that reader-status queries ask for, by the names used in
// profiles.
constexpr NamedAttribute kNamedAttributes[] = {
    {"vendorName", 0x00010100},         {"vendorIfdType", 0x00010101},
    {"vendorIfdVersion", 0x00010102},   {"vendorIfdSerialNo", 0x00010103},
    {"deviceFriendlyName", 0x7FFF0003}, {"deviceSystemName", 0x7FFF0004},
};

std::optional<std::uint32_t> AttributeId(const std::string& key) {
    for (const NamedAttribute& named : kNamedAttributes) {
        if (named.name == key) {
            return named.id;
        }
    }
    // Any other attribute by its number: "0x" and up to 8 hex digits.
    if (key.size() < 3 || key.size() > 10 || key[0] != '0' || (key[1] != 'x' && key[1] != 'X')) {
        return std::nullopt;
    }
    std::uint32_t id = 0;
    for (std::size_t i = 2; i < key.size(); ++i) {
        const char c = key[i];
        const int digit = platform::HexDigitValue(c);
        if (digit < 0) {
            return std::nullopt;
        }
        id = id * 16 + static_cast<std::uint32_t>(digit);
    }
    return id;
}

// A text attribute is its characters without a terminator; {"hex": "..."}
// gives any bytes.
Failure ParseAttributeValue(const Json& value, const std::string& path, Bytes& out) {
    if (value.is_string()) {
        std::string text;
        if (auto failure = profile::ReadText(value, path, 0, kMaxAttributeBytes, text)) {
            return failure;
        }
        out.assign(text.begin(), text.end());
        return std::nullopt;
    }
    if (!value.is_object()) {
        return ErrorAt(path, "must be a text or {\"hex\": \"...\"}");
    }
    if (auto failure = profile::CheckObject(value, path, {"hex"})) {
        return failure;
    }
    if (!value.contains("hex")) {
        return ErrorAt(path, "must be a text or {\"hex\": \"...\"}");
    }
    return profile::ReadHex(value.at("hex"), MemberPath(path, "hex"), 0, kMaxAttributeBytes, out);
}

Failure ParseAttributes(const Json& value, const std::string& path, Attributes& out) {
    if (!value.is_object()) {
        return ErrorAt(path, "must be an object");
    }
    if (value.size() > kMaxAttributes) {
        return ErrorAt(path, "must have at most " + std::to_string(kMaxAttributes) + " entries");
    }
    for (const auto& member : value.items()) {
        const std::string memberPath = MemberPath(path, member.key());
        const auto id = AttributeId(member.key());
        if (!id) {
            return ErrorAt(memberPath,
                           "unknown attribute (use vendorName, vendorIfdType, vendorIfdVersion, "
                           "vendorIfdSerialNo, deviceFriendlyName, deviceSystemName or a number "
                           "such as 0x00010100)");
        }
        Bytes bytes;
        if (auto failure = ParseAttributeValue(member.value(), memberPath, bytes)) {
            return failure;
        }
        if (!out.emplace(*id, std::move(bytes)).second) {
            return ErrorAt(memberPath, "names an attribute already given");
        }
    }
    return std::nullopt;
}

Failure ParseReader(const Json& value, const std::string& path, ReaderProfile& out) {
    if (auto failure =
            profile::CheckObject(value, path, {"name", "cardPresent", "attributes", "card"})) {
        return failure;
    }
    if (!value.contains("name")) {
        return ErrorAt(MemberPath(path, "name"), "missing");
    }
    if (auto failure = profile::ReadText(value.at("name"), MemberPath(path, "name"), 1,
                                         kMaxReaderName, out.name)) {
        return failure;
    }
    if (value.contains("attributes")) {
        if (auto failure = ParseAttributes(value.at("attributes"), MemberPath(path, "attributes"),
                                           out.attributes)) {
            return failure;
        }
    }
    if (value.contains("card") && !value.at("card").is_null()) {
        CardContent card;
        if (auto failure =
                profile::ParseCardContent(value.at("card"), MemberPath(path, "card"), card)) {
            return failure;
        }
        out.card = std::move(card);
    }
    out.cardPresent = out.card.has_value();
    if (value.contains("cardPresent")) {
        const std::string presentPath = MemberPath(path, "cardPresent");
        if (auto failure =
                profile::ReadBool(value.at("cardPresent"), presentPath, out.cardPresent)) {
            return failure;
        }
        if (out.cardPresent && !out.card) {
            return ErrorAt(presentPath, "is true but the reader has no card");
        }
    }
    return std::nullopt;
}

Failure ParseProfile(const Json& document, CardProfile& out) {
    if (auto failure = profile::CheckObject(document, "", {"readers"})) {
        return failure;
    }
    if (!document.contains("readers")) {
        return ErrorAt("readers", "missing");
    }
    const Json& readers = document.at("readers");
    if (auto failure = profile::CheckArray(readers, "readers", kMaxReaders)) {
        return failure;
    }
    if (readers.empty()) {
        return ErrorAt("readers", "must name at least one reader");
    }
    std::set<std::string> names;
    for (std::size_t i = 0; i < readers.size(); ++i) {
        const std::string path = profile::ElementPath("readers", i);
        ReaderProfile reader;
        if (auto failure = ParseReader(readers.at(i), path, reader)) {
            return failure;
        }
        if (!names.insert(reader.name).second) {
            return ErrorAt(MemberPath(path, "name"), "\"" + reader.name + "\" is used twice");
        }
        out.readers.push_back(std::move(reader));
    }
    return std::nullopt;
}

}  // namespace

ProfileResult ParseCardProfile(std::string_view jsonText) {
    if (jsonText.size() > kMaxProfileBytes) {
        return ProfileError{"profile: larger than " + std::to_string(kMaxProfileBytes) + " bytes"};
    }
    try {
        // Comments are allowed so that profiles can say what they are for.
        const Json document = Json::parse(jsonText.begin(), jsonText.end(), nullptr, true, true);
        CardProfile result;
        if (auto failure = ParseProfile(document, result)) {
            return *failure;
        }
        return result;
    } catch (const Json::parse_error& error) {
        return ProfileError{"profile: not valid JSON (" + std::string(error.what()) + ")"};
    } catch (const std::exception& error) {
        return ProfileError{"profile: " + std::string(error.what())};
    }
}

ProfileResult LoadCardProfile(const std::string& path) {
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        const int reason = errno;
        return ProfileError{path + ": cannot be opened" +
                            (reason != 0 ? ": " + std::generic_category().message(reason) : "")};
    }
    // One byte more than a profile may have, so that a larger file (or an
    // endless one) is refused without reading it all.
    std::string text(kMaxProfileBytes + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (file.bad()) {
        return ProfileError{path + ": cannot be read"};
    }
    text.resize(static_cast<std::size_t>(file.gcount()));
    ProfileResult result = ParseCardProfile(text);
    if (auto* error = std::get_if<ProfileError>(&result)) {
        error->message = path + ": " + error->message;
    }
    return result;
}

}  // namespace kestrova::sim
