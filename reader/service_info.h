#pragma once

// The version information of the smart-card service's own library: file
// version, maker and description.

#include <array>
#include <cstdint>
#include <string>

namespace kestrova {

// Asks the platform about the library the binding loads (bound or not).
// A value the platform cannot tell leaves its output untouched. Always 0.
std::int32_t ReadServiceVersionInfo(std::string& fileVersion, std::string& companyName,
                                    std::string& fileDescription);

// Replaces the three texts (file version, company name, file description)
// with fresh ones, each cut at its first zero byte. Always 0.
std::int32_t ListServiceInfo(std::array<std::string, 3>& info);

}  // namespace kestrova
