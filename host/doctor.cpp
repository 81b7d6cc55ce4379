#include "host/doctor.h"

namespace kestrova::host {

DoctorReport RunDoctor(const InstallLayout& layout, std::string_view version,
                       std::string_view protocol) {
    DoctorReport report;
    report.version = std::string(version);
    report.protocol = std::string(protocol);
    CheckCardService(report);
    CheckBrowsers(report, layout);
    CheckConfiguration(report, layout);
    report.Pass("versions", "Versions",
                "Kestrova " + report.version + ", bridge protocol " + report.protocol);
    return report;
}

}  // namespace kestrova::host
