#include "platform/service_version_info.h"

namespace kestrova::platform {
namespace {

VersionInfoReader currentReader = &ReadSystemLibraryVersionInfo;

}  // namespace

LibraryVersionInfo ReadLibraryVersionInfo(const char* libraryName) {
    return currentReader(libraryName);
}

VersionInfoReader ReplaceVersionInfoReader(VersionInfoReader reader) {
    VersionInfoReader previous = currentReader;
    currentReader = reader != nullptr ? reader : &ReadSystemLibraryVersionInfo;
    return previous;
}

}  // namespace kestrova::platform
