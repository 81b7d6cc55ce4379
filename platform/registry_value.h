#pragma once

// Reading the machine's registration of a program (Windows only): a string
// value of a key under HKEY_LOCAL_MACHINE, in the 64-bit view where the
// browsers look for native hosts and extensions.

#include <optional>
#include <string>

namespace kestrova::platform {

// The value as UTF-8; an empty valueName reads the key's default value.
// Nothing when the key or the value is missing or not a string.
std::optional<std::string> ReadMachineString(const std::string& key, const std::string& valueName);

// True when the key exists.
bool MachineKeyExists(const std::string& key);

}  // namespace kestrova::platform
