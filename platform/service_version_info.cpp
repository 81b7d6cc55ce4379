#include "platform/service_version_info.h"

#include <dlfcn.h>
#include <link.h>
#include <stdlib.h>

#include <array>
#include <string_view>

namespace kestrova::platform {
namespace {

struct KnownLibrary {
    std::string_view stem;
    std::string_view companyName;
    std::string_view fileDescription;
};

constexpr std::array kKnownLibraries{
    KnownLibrary{"libpcsclite", "PCSC-Lite project", "PC/SC Lite smart card client library"},
    KnownLibrary{"libkestrova-sim-pcsc", "Kestrova", "Kestrova simulated PC/SC service"},
};

// The path of the file the loader maps for `libraryName`, with every
// symbolic link resolved; empty when the library cannot be loaded.
std::string ResolveLibraryFile(const char* libraryName) {
    // An already loaded library is looked at without loading it again.
    void* handle = dlopen(libraryName, RTLD_LAZY | RTLD_LOCAL | RTLD_NOLOAD);
    if (handle == nullptr) {
        handle = dlopen(libraryName, RTLD_LAZY | RTLD_LOCAL);
    }
    if (handle == nullptr) {
        return {};
    }
    std::string path;
    link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr) {
        char* real = realpath(map->l_name, nullptr);
        path = real != nullptr ? real : map->l_name;
        free(real);
    }
    dlclose(handle);
    return path;
}

std::string_view FileNameOf(std::string_view path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// "libpcsclite.so.1.0.0" gives "1.0.0"; a name without a numeric suffix
// after ".so." gives an empty text.
std::string_view VersionSuffixOf(std::string_view fileName) {
    constexpr std::string_view kMarker = ".so.";
    std::size_t marker = fileName.rfind(kMarker);
    if (marker == std::string_view::npos) {
        return {};
    }
    std::string_view suffix = fileName.substr(marker + kMarker.size());
    if (suffix.empty() || suffix.find_first_not_of("0123456789.") != std::string_view::npos) {
        return {};
    }
    return suffix;
}

// "libpcsclite.so.1.0.0" gives "libpcsclite".
std::string_view StemOf(std::string_view fileName) {
    return fileName.substr(0, fileName.find(".so"));
}

}  // namespace

LibraryVersionInfo ReadSystemLibraryVersionInfo(const char* libraryName) {
    LibraryVersionInfo info;
    if (libraryName == nullptr) {
        return info;
    }
    std::string path = ResolveLibraryFile(libraryName);
    if (path.empty()) {
        return info;
    }
    std::string_view fileName = FileNameOf(path);
    std::string_view version = VersionSuffixOf(fileName);
    info.fileVersion = version.empty() ? "0" : std::string(version);

    std::string_view stem = StemOf(fileName);
    info.fileDescription = std::string(fileName);
    for (const KnownLibrary& known : kKnownLibraries) {
        if (stem == known.stem) {
            info.companyName = std::string(known.companyName);
            info.fileDescription = std::string(known.fileDescription);
            break;
        }
    }
    return info;
}

}  // namespace kestrova::platform
