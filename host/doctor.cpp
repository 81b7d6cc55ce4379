#include "host/doctor.h"

namespace kestrova::host {

DoctorReport RunDoctor(const InstallLayout& layout, std::string_view version, int protocol) {
    DoctorReport report;
    report.version = std::string(version);
    report.protocol = protocol;
    CheckCardService(report);
    CheckBrowsers(report, layout);
    CheckConfiguration(report, layout);
    report.Pass(
        "versions", "Versions",
        "Kestrova " + report.version + ", bridge protocol " + std::to_string(report.protocol));
    return report;
}

}  // namespace kestrova::host
