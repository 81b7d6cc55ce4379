// The host's configuration in force, as `kestrova doctor` reports it.

#include <fstream>
#include <sstream>
#include <string>

#include "host/doctor.h"
#include "host/host_config.h"

namespace kestrova::host {

void CheckConfiguration(DoctorReport& report, const InstallLayout& layout) {
    const std::string title = "Host configuration";
    const std::string& path = layout.configFile;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        report.Pass("configuration", title,
                    layout.configFile + " is absent: the system's PC/SC service, no log");
        return;
    }
    std::ostringstream text;
    text << file.rdbuf();
    HostOptions options;
    if (const auto error = ApplyConfigText(text.str(), options)) {
        report.Fail("configuration", title, layout.configFile + ": " + *error,
                    "correct that line; the file lists the options it takes");
        return;
    }
#ifdef _WIN32
    if (options.simulate) {
        report.Fail("configuration", title,
                    layout.configFile + " says simulate, which the Windows host refuses",
                    "remove the line 'simulate' from " + layout.configFile);
        return;
    }
#endif
    if (options.simulate) {
        report.Warn("configuration", title,
                    layout.configFile +
                        " says simulate: pages see virtual readers and cards, never the "
                        "customer's card",
                    "on a customer's machine remove the line 'simulate' from " + layout.configFile +
                        " (it is meant for a page developer)");
        return;
    }
    if (options.confirm == ConfirmAnswer::Ok) {
        report.Warn("configuration", title,
                    layout.configFile +
                        " says confirm=ok: the text window confirms transfers by "
                        "itself",
                    "remove the line 'confirm=ok' from " + layout.configFile);
        return;
    }
    std::string summary = layout.configFile + " in force: the system's PC/SC service";
    if (!options.logPath.empty()) {
        summary += ", diagnostics log " + options.logPath;
    }
    report.Pass("configuration", title, summary);
}

}  // namespace kestrova::host
