#include "platform/service_version_info.h"

#include <windows.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

namespace kestrova::platform {
namespace {

constexpr std::array<const char*, 3> kValueNames{"FileVersion", "CompanyName", "FileDescription"};

// The language and code page part of the string paths: the first entry of
// the translation table, else the user's language with Unicode strings.
std::string TranslationKey(std::vector<char>& block) {
    void* translation = nullptr;
    UINT length = 0;
    std::array<char, 16> key{};
    if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation, &length) &&
        translation != nullptr && length == 4) {
        DWORD value = 0;
        std::memcpy(&value, translation, sizeof value);
        static_cast<void>(std::snprintf(
            key.data(), key.size(), "%02X%02X%02X%02X", static_cast<unsigned>((value >> 8) & 0xFF),
            static_cast<unsigned>(value & 0xFF), static_cast<unsigned>((value >> 24) & 0xFF),
            static_cast<unsigned>((value >> 16) & 0xFF)));
    } else {
        static_cast<void>(std::snprintf(key.data(), key.size(), "%04X04B0",
                                        static_cast<unsigned>(GetUserDefaultLangID())));
    }
    return key.data();
}

// The value's text up to its first zero; empty when the path is not found.
std::string QueryText(std::vector<char>& block, const std::string& path) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), path.c_str(), &value, &length) || value == nullptr) {
        return {};
    }
    const char* text = static_cast<const char*>(value);
    std::size_t size = 0;
    while (size < length && text[size] != '\0') {
        ++size;
    }
    return std::string(text, size);
}

}  // namespace

// The block is read at the size the system reports, so long values are not
// cut; a library without version information gives three empty values.
LibraryVersionInfo ReadSystemLibraryVersionInfo(const char* libraryName) {
    LibraryVersionInfo info;
    if (libraryName == nullptr) {
        return info;
    }
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(libraryName, &ignored);
    if (size == 0) {
        return info;
    }
    std::vector<char> block(size, '\0');
    if (!GetFileVersionInfoA(libraryName, 0, size, block.data())) {
        return info;
    }
    const std::string prefix = "\\StringFileInfo\\" + TranslationKey(block) + "\\";
    std::array<std::string*, 3> outputs{&info.fileVersion, &info.companyName,
                                        &info.fileDescription};
    for (std::size_t i = 0; i < kValueNames.size(); ++i) {
        *outputs[i] = QueryText(block, prefix + kValueNames[i]);
    }
    return info;
}

}  // namespace kestrova::platform
