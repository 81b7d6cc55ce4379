#pragma once

// The guarded methods serve only pages loaded over https from an allowed
// host: entry 0 and entry 1 of the control's AllowedHosts, each with its
// subdomains.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/hosting_page.h"

namespace kestrova {

inline constexpr std::size_t kAllowedHostCount = 2;
using AllowedHostPair = std::array<const char*, kAllowedHostCount>;

// Fixed when the module is built; the check copies them into the control's
// AllowedHosts each time it runs.
extern const AllowedHostPair kConfiguredAllowedHosts;

inline constexpr std::int32_t kHostingPageAllowed = 0;
inline constexpr std::int32_t kHostingPageRefused = -1;

// True when host equals allowed or ends in "." followed by allowed, ignoring
// ASCII case. An empty allowed name matches nothing.
bool HostMatches(std::string_view allowed, std::string_view host);

// The page's address in code page 950, or empty when the control is not
// sited (page == nullptr), the page has no name, or its name has characters
// the code page cannot hold (a substituted '?' would change where the
// address's parts begin and end).
std::string GetHostingPageUrl(const platform::HostingPageSource* page);

// The decision on an address already in code page 950.
bool IsAllowedPageAddress(std::string_view url, const AllowedHostPair& allowedHosts);

// Both store kConfiguredAllowedHosts into allowedHosts, whatever the
// outcome, and ask the page for its address on every call.
bool IsHostingPageAllowed(const platform::HostingPageSource* page, AllowedHostPair& allowedHosts);
std::int32_t CheckHostingPage(const platform::HostingPageSource* page,
                              AllowedHostPair& allowedHosts);

}  // namespace kestrova
