// Page addresses come from whoever hosts the control. The parser must never
// read past them, never hand out a host longer than its buffer or one that
// could be read as another host, and the check must allow nothing that is not
// https from an allowed host.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "control/hosting_page_check.h"
#include "control/url_parts.h"
#include "platform/hosting_page.h"

namespace {

using namespace kestrova;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool IsHostNameByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.';
}

bool IsIpv6LiteralByte(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' ||
           c == '.';
}

void CheckParts(const UrlParts& parts) {
    Require(!parts.scheme.empty() && parts.scheme.size() < kUrlSchemeCapacity);
    Require(parts.hostName.size() < kUrlHostNameCapacity);
    Require(parts.userName.size() < kUrlUserNameCapacity);
    Require(parts.password.size() < kUrlPasswordCapacity);
    Require(parts.urlPath.size() < kUrlPathCapacity);
    Require(parts.extraInfo.size() < kUrlExtraInfoCapacity);

    const std::string& host = parts.hostName;
    if (!host.empty() && host.front() == '[') {
        Require(host.size() >= 3 && host.back() == ']');
        Require(std::all_of(host.begin() + 1, host.end() - 1, IsIpv6LiteralByte));
    } else {
        Require(std::all_of(host.begin(), host.end(), IsHostNameByte));
    }
}

void CheckDecision(std::string_view url) {
    const bool allowed = IsAllowedPageAddress(url, kConfiguredAllowedHosts);
    if (!allowed) {
        return;
    }
    const std::optional<UrlParts> parts = CrackUrl(url);
    Require(parts.has_value());
    Require(parts->scheme.size() == 5);
    Require(HostMatches(kConfiguredAllowedHosts[0], parts->hostName) ||
            HostMatches(kConfiguredAllowedHosts[1], parts->hostName));
    Require(parts->hostName.find('\0') == std::string::npos);
}

// The same bytes as a display name, so the code-page step is covered too.
void CheckPageSource(std::string_view bytes) {
    std::u16string displayName;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        displayName += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    const platform::StatedHostingPage page(displayName);
    AllowedHostPair fields{};
    const bool allowed = IsHostingPageAllowed(&page, fields);
    Require(fields == kConfiguredAllowedHosts);
    if (allowed) {
        Require(IsAllowedPageAddress(GetHostingPageUrl(&page), kConfiguredAllowedHosts));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view url(reinterpret_cast<const char*>(data), size);
    if (const std::optional<UrlParts> parts = CrackUrl(url)) {
        CheckParts(*parts);
    }
    CheckDecision(url);
    CheckPageSource(url);

    // Any split of the input as an allowed name and a host.
    if (size > 0) {
        const std::size_t split = data[0] % size;
        const std::string_view allowedName = url.substr(1, split);
        const std::string_view host = url.substr(std::min(size, split + 1));
        if (HostMatches(allowedName, host)) {
            Require(!allowedName.empty() && allowedName.size() <= host.size());
        }
    }
    return 0;
}
