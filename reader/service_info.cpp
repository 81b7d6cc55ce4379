#include "reader/service_info.h"

#include "platform/service_version_info.h"
#include "reader/result_codes.h"
#include "reader/service_binding.h"

namespace kestrova {
namespace {

void CopyFound(const std::string& value, std::string& output) {
    if (!value.empty()) {
        output = value;
    }
}

std::string UpToFirstZero(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

}  // namespace

std::int32_t ReadServiceVersionInfo(std::string& fileVersion, std::string& companyName,
                                    std::string& fileDescription) {
    platform::LibraryVersionInfo info = platform::ReadLibraryVersionInfo(CardServiceLibrary());
    CopyFound(info.fileVersion, fileVersion);
    CopyFound(info.companyName, companyName);
    CopyFound(info.fileDescription, fileDescription);
    return kResultSuccess;
}

std::int32_t ListServiceInfo(std::array<std::string, 3>& info) {
    std::string fileVersion;
    std::string companyName;
    std::string fileDescription;
    std::int32_t result = ReadServiceVersionInfo(fileVersion, companyName, fileDescription);
    info[0] = UpToFirstZero(fileVersion);
    info[1] = UpToFirstZero(companyName);
    info[2] = UpToFirstZero(fileDescription);
    return result;
}

}  // namespace kestrova
