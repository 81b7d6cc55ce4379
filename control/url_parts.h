#pragma once

// A page address split into its parts, with escape sequences decoded, as the
// hosting-page check reads it. Stricter than a general URL parser where a
// lenient reading could name a different host than the one a browser
// connected to: such addresses do not parse.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova {

// Component buffer sizes, terminator included: a component must be shorter.
inline constexpr std::size_t kUrlSchemeCapacity = 260;
inline constexpr std::size_t kUrlHostNameCapacity = 260;
inline constexpr std::size_t kUrlUserNameCapacity = 260;
inline constexpr std::size_t kUrlPasswordCapacity = 260;
inline constexpr std::size_t kUrlPathCapacity = 4096;
inline constexpr std::size_t kUrlExtraInfoCapacity = 4096;

struct UrlParts {
    std::string scheme;
    std::string hostName;  // an IPv6 literal keeps its brackets
    std::string userName;
    std::string password;
    std::optional<std::uint16_t> port;
    std::string urlPath;
    std::string extraInfo;  // query and fragment, from the first '?' or '#'
};

// Nothing when the text is not a URL, a decoded component does not fit its
// buffer, or the host is not a host name. http and https need "//" and a
// host. The host ends at the first '/', '\', '?' or '#' after "//", as
// browsers read it, and follows the last '@' before that. Its bytes are
// printable ASCII before decoding and letters, digits, '-', '_' and '.'
// after it, without empty labels other than a final dot; a host whose last
// label is a number must be a dotted-decimal IPv4 address.
std::optional<UrlParts> CrackUrl(std::string_view url);

}  // namespace kestrova
