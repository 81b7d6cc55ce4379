#include "control/url_parts.h"

#include <algorithm>

#include "platform/ascii_text.h"

namespace kestrova {
namespace {

using platform::IsAsciiAlpha;
using platform::IsAsciiDigit;

bool IsAsciiHexDigit(char c) {
    return platform::HexDigitValue(c) >= 0;
}
bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}
// Code page 950 trail bytes include '@' and '\': a double-byte character in
// the authority could hide a delimiter.
bool IsPrintableAscii(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte > 0x20 && byte < 0x7F;
}

// A '%' not followed by two hex digits stays as it is.
std::string DecodeEscapes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && IsAsciiHexDigit(text[i + 1]) &&
            IsAsciiHexDigit(text[i + 2])) {
            out += static_cast<char>(platform::HexDigitValue(text[i + 1]) * 16 +
                                     platform::HexDigitValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool IsValidScheme(std::string_view scheme) {
    if (scheme.empty() || !IsAsciiAlpha(scheme.front())) {
        return false;
    }
    return std::all_of(scheme.begin(), scheme.end(), [](char c) {
        return IsAsciiAlpha(c) || IsAsciiDigit(c) || c == '+' || c == '-' || c == '.';
    });
}

bool NeedsAuthority(std::string_view scheme) {
    return platform::EqualsIgnoringAsciiCase(scheme, "http") ||
           platform::EqualsIgnoringAsciiCase(scheme, "https");
}

bool IsDecimalOctet(std::string_view part) {
    if (part.empty() || part.size() > 3 || !std::all_of(part.begin(), part.end(), IsAsciiDigit)) {
        return false;
    }
    if (part.size() > 1 && part.front() == '0') {
        return false;
    }
    int value = 0;
    for (char c : part) {
        value = value * 10 + (c - '0');
    }
    return value <= 255;
}

bool IsDottedDecimalIpv4(std::string_view host) {
    int parts = 0;
    while (true) {
        const std::size_t dot = host.find('.');
        if (!IsDecimalOctet(host.substr(0, dot))) {
            return false;
        }
        ++parts;
        if (dot == std::string_view::npos) {
            return parts == 4;
        }
        host.remove_prefix(dot + 1);
    }
}

// Browsers read a host whose last label is a number as an IPv4 address in
// any of several notations; only the plain dotted-decimal one is accepted
// here, so "x.192.0.2.10" can never pass for a name under an address.
bool IsNumericLabel(std::string_view label) {
    if (label.size() >= 2 && label[0] == '0' && platform::AsciiLower(label[1]) == 'x') {
        return std::all_of(label.begin() + 2, label.end(), IsAsciiHexDigit);
    }
    return !label.empty() && std::all_of(label.begin(), label.end(), IsAsciiDigit);
}

bool IsHostNameCharacter(char c) {
    return IsAsciiAlpha(c) || IsAsciiDigit(c) || c == '-' || c == '_' || c == '.';
}

bool IsValidRegisteredName(std::string_view host) {
    if (!std::all_of(host.begin(), host.end(), IsHostNameCharacter)) {
        return false;
    }
    if (host.front() == '.' || host.find("..") != std::string_view::npos) {
        return false;
    }
    std::string_view withoutFinalDot = host;
    if (withoutFinalDot.back() == '.') {
        withoutFinalDot.remove_suffix(1);
    }
    const std::size_t lastDot = withoutFinalDot.rfind('.');
    const std::string_view lastLabel =
        lastDot == std::string_view::npos ? withoutFinalDot : withoutFinalDot.substr(lastDot + 1);
    return !IsNumericLabel(lastLabel) || IsDottedDecimalIpv4(host);
}

bool IsValidIpv6Literal(std::string_view literal) {
    return literal.find(':') != std::string_view::npos &&
           std::all_of(literal.begin(), literal.end(),
                       [](char c) { return IsAsciiHexDigit(c) || c == ':' || c == '.'; });
}

bool ParsePort(std::string_view text, std::optional<std::uint16_t>& port) {
    if (text.empty()) {
        return true;
    }
    std::uint32_t value = 0;
    for (char c : text) {
        if (!IsAsciiDigit(c)) {
            return false;
        }
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
        if (value > 0xFFFF) {
            return false;
        }
    }
    port = static_cast<std::uint16_t>(value);
    return true;
}

bool ParseHostAndPort(std::string_view hostAndPort, UrlParts& parts) {
    std::string_view afterHost;
    if (!hostAndPort.empty() && hostAndPort.front() == '[') {
        const std::size_t close = hostAndPort.find(']');
        if (close == std::string_view::npos ||
            !IsValidIpv6Literal(hostAndPort.substr(1, close - 1))) {
            return false;
        }
        parts.hostName = hostAndPort.substr(0, close + 1);
        afterHost = hostAndPort.substr(close + 1);
        if (!afterHost.empty() && afterHost.front() != ':') {
            return false;
        }
    } else {
        const std::size_t colon = hostAndPort.find(':');
        parts.hostName = DecodeEscapes(hostAndPort.substr(0, colon));
        if (!parts.hostName.empty() && !IsValidRegisteredName(parts.hostName)) {
            return false;
        }
        afterHost =
            colon == std::string_view::npos ? std::string_view{} : hostAndPort.substr(colon);
    }
    if (parts.hostName.size() >= kUrlHostNameCapacity) {
        return false;
    }
    return afterHost.empty() || ParsePort(afterHost.substr(1), parts.port);
}

bool ParseAuthority(std::string_view authority, UrlParts& parts) {
    if (!std::all_of(authority.begin(), authority.end(), IsPrintableAscii)) {
        return false;
    }
    const std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        const std::string_view userInfo = authority.substr(0, at);
        const std::size_t colon = userInfo.find(':');
        parts.userName = DecodeEscapes(userInfo.substr(0, colon));
        if (colon != std::string_view::npos) {
            parts.password = DecodeEscapes(userInfo.substr(colon + 1));
        }
        if (parts.userName.size() >= kUrlUserNameCapacity ||
            parts.password.size() >= kUrlPasswordCapacity) {
            return false;
        }
        authority.remove_prefix(at + 1);
    }
    return ParseHostAndPort(authority, parts);
}

}  // namespace

std::optional<UrlParts> CrackUrl(std::string_view url) {
    if (std::any_of(url.begin(), url.end(), IsControl)) {
        return std::nullopt;
    }
    const std::size_t colon = url.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    UrlParts parts;
    const std::string_view scheme = url.substr(0, colon);
    if (!IsValidScheme(scheme) || scheme.size() >= kUrlSchemeCapacity) {
        return std::nullopt;
    }
    parts.scheme = scheme;

    std::string_view rest = url.substr(colon + 1);
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t authorityEnd = rest.find_first_of("/\\?#");
        if (!ParseAuthority(rest.substr(0, authorityEnd), parts)) {
            return std::nullopt;
        }
        rest =
            authorityEnd == std::string_view::npos ? std::string_view{} : rest.substr(authorityEnd);
        if (parts.hostName.empty() && NeedsAuthority(parts.scheme)) {
            return std::nullopt;
        }
    } else if (NeedsAuthority(parts.scheme)) {
        return std::nullopt;
    }

    const std::size_t extraStart = rest.find_first_of("?#");
    parts.urlPath = DecodeEscapes(rest.substr(0, extraStart));
    if (extraStart != std::string_view::npos) {
        parts.extraInfo = DecodeEscapes(rest.substr(extraStart));
    }
    if (parts.urlPath.size() >= kUrlPathCapacity ||
        parts.extraInfo.size() >= kUrlExtraInfoCapacity) {
        return std::nullopt;
    }
    return parts;
}

}  // namespace kestrova
