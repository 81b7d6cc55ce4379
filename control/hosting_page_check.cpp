#include "control/hosting_page_check.h"

#include <algorithm>

#include "control/url_parts.h"
#include "platform/ascii_text.h"
#include "platform/code_page.h"

#if !defined(KESTROVA_ALLOWED_HOST_0) || !defined(KESTROVA_ALLOWED_HOST_1)
#error "The allowed hosts are set by the build (KESTROVA_ALLOWED_HOST_0 and _1)"
#endif

namespace kestrova {

const AllowedHostPair kConfiguredAllowedHosts = {KESTROVA_ALLOWED_HOST_0, KESTROVA_ALLOWED_HOST_1};

bool HostMatches(std::string_view allowed, std::string_view host) {
    if (allowed.empty() || allowed.size() > host.size()) {
        return false;
    }
    const std::size_t suffixStart = host.size() - allowed.size();
    if (!platform::EqualsIgnoringAsciiCase(host.substr(suffixStart), allowed)) {
        return false;
    }
    return suffixStart == 0 || host[suffixStart - 1] == '.';
}

std::string GetHostingPageUrl(const platform::HostingPageSource* page) {
    if (page == nullptr) {
        return {};
    }
    const std::optional<std::u16string> displayName = page->PageDisplayName();
    if (!displayName) {
        return {};
    }
    std::string url = platform::Utf16ToAnsi(*displayName);
    if (platform::AnsiToUtf16(url) != *displayName) {
        return {};
    }
    return url;
}

bool IsAllowedPageAddress(std::string_view url, const AllowedHostPair& allowedHosts) {
    const std::optional<UrlParts> parts = CrackUrl(url);
    if (!parts || !platform::EqualsIgnoringAsciiCase(parts->scheme, "https")) {
        return false;
    }
    bool allowed = false;
    for (const char* entry : allowedHosts) {
        allowed = HostMatches(entry, parts->hostName) || allowed;
    }
    return allowed;
}

bool IsHostingPageAllowed(const platform::HostingPageSource* page, AllowedHostPair& allowedHosts) {
    const std::string url = GetHostingPageUrl(page);
    allowedHosts = kConfiguredAllowedHosts;
    return IsAllowedPageAddress(url, allowedHosts);
}

std::int32_t CheckHostingPage(const platform::HostingPageSource* page,
                              AllowedHostPair& allowedHosts) {
    return IsHostingPageAllowed(page, allowedHosts) ? kHostingPageAllowed : kHostingPageRefused;
}

}  // namespace kestrova
