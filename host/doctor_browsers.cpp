// Each browser's registration of the native host and its copy of the
// extension, as `kestrova doctor` reports them.

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <variant>

#include "host/doctor.h"

#ifdef _WIN32
#include "platform/registry_value.h"
#endif

namespace kestrova::host {
namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr const char* kReinstall = "run KestrovaSetup.exe again as an administrator";
#else
constexpr const char* kReinstall =
    "install the kestrova package again (sudo apt install --reinstall kestrova)";
#endif

#ifndef _WIN32
// An absolute path of the installed system, as found under the layout's
// root.
std::string Rooted(const InstallLayout& layout, const std::string& path) {
    return layout.root.empty() ? path : layout.root + path;
}
#endif

bool IsFile(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool IsProgram(const std::string& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        return false;
    }
#ifdef _WIN32
    return true;
#else
    const fs::perms permissions = fs::status(path, error).permissions();
    return (permissions & fs::perms::others_exec) != fs::perms::none;
#endif
}

// The file's JSON object, or a sentence saying why there is none.
std::variant<nlohmann::json, std::string> ReadJsonObject(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return path + " is missing";
    }
    std::ostringstream text;
    text << file.rdbuf();
    nlohmann::json document = nlohmann::json::parse(text.str(), nullptr, false);
    if (!document.is_object()) {
        return path + " is not a JSON object";
    }
    return document;
}

std::string StringField(const nlohmann::json& document, const char* name) {
    const auto found = document.find(name);
    return found != document.end() && found->is_string() ? found->get<std::string>()
                                                         : std::string();
}

bool ListHolds(const nlohmann::json& document, const char* name, const std::string& wanted) {
    const auto found = document.find(name);
    if (found == document.end() || !found->is_array()) {
        return false;
    }
    for (const auto& entry : *found) {
        if (entry.is_string() && entry.get<std::string>() == wanted) {
            return true;
        }
    }
    return false;
}

// Where the manifest's "path" leads: on Windows a relative path is beside
// the manifest; on Linux it must be absolute.
std::optional<std::string> HostProgram(const InstallLayout& layout, const std::string& manifest,
                                       const std::string& named) {
#ifdef _WIN32
    (void)layout;
    const fs::path program(named);
    return (program.is_absolute() ? program : fs::path(manifest).parent_path() / program).string();
#else
    (void)manifest;
    if (named.empty() || named.front() != '/') {
        return std::nullopt;
    }
    return Rooted(layout, named);
#endif
}

// The manifest's problem, or nothing when it names our host for our
// extension.
std::optional<std::string> ManifestProblem(const InstallLayout& layout, const BrowserPlaces& places,
                                           const std::string& manifest) {
    auto read = ReadJsonObject(manifest);
    if (const auto* problem = std::get_if<std::string>(&read)) {
        return *problem;
    }
    const nlohmann::json& document = std::get<nlohmann::json>(read);
    if (StringField(document, "name") != layout.nativeHostName) {
        return manifest + " does not name the host " + layout.nativeHostName;
    }
    if (StringField(document, "type") != "stdio") {
        return manifest + " does not say \"type\": \"stdio\"";
    }
    const std::string named = StringField(document, "path");
    const auto program = HostProgram(layout, manifest, named);
    if (!program) {
        return manifest + " names the program '" + named + "', which is not an absolute path";
    }
    if (!IsProgram(*program)) {
        return manifest + " names " + named + ", which is not an installed program";
    }
    if (places.family == BrowserFamily::kChromium) {
        const std::string origin = "chrome-extension://" + layout.chromiumExtensionId + "/";
        if (!ListHolds(document, "allowed_origins", origin)) {
            return manifest + " does not allow the Kestrova extension (" + origin + ")";
        }
    } else if (!ListHolds(document, "allowed_extensions", layout.geckoExtensionId)) {
        return manifest + " does not allow the Kestrova extension (" + layout.geckoExtensionId +
               ")";
    }
    return std::nullopt;
}

#ifdef _WIN32

std::string MachineKey(const std::string& key) {
    return "HKLM\\" + key;
}

void CheckHostRegistration(DoctorReport& report, const InstallLayout& layout,
                           const BrowserPlaces& places) {
    const std::string check = places.check + "-host";
    const std::string title = places.name + ": native host";
    const auto manifest = platform::ReadMachineString(places.hostRegistration, "");
    if (!manifest) {
        report.Fail(check, title, "the key " + MachineKey(places.hostRegistration) + " is missing",
                    kReinstall);
        return;
    }
    if (const auto problem = ManifestProblem(layout, places, *manifest)) {
        report.Fail(check, title, *problem, kReinstall);
        return;
    }
    report.Pass(check, title, MachineKey(places.hostRegistration) + " names " + *manifest);
}

void CheckExtension(DoctorReport& report, const InstallLayout& layout,
                    const BrowserPlaces& places) {
    const std::string check = places.check + "-extension";
    const std::string title = places.name + ": extension";
    if (places.family == BrowserFamily::kGecko) {
        const auto xpi = platform::ReadMachineString(places.extension, layout.geckoExtensionId);
        if (!xpi) {
            report.Fail(check, title,
                        "the value " + layout.geckoExtensionId + " of " +
                            MachineKey(places.extension) + " is missing",
                        kReinstall);
        } else if (!IsFile(*xpi)) {
            report.Fail(check, title,
                        MachineKey(places.extension) + " names " + *xpi + ", which is missing",
                        kReinstall);
        } else {
            report.Pass(check, title, MachineKey(places.extension) + " names " + *xpi);
        }
        return;
    }
    const auto updateUrl = platform::ReadMachineString(places.extension, "update_url");
    const auto path = platform::ReadMachineString(places.extension, "path");
    if (!updateUrl && !path) {
        report.Fail(check, title, "the key " + MachineKey(places.extension) + " is missing",
                    kReinstall);
    } else if (!updateUrl && !IsFile(*path)) {
        report.Fail(check, title,
                    MachineKey(places.extension) + " names " + *path + ", which is missing",
                    kReinstall);
    } else {
        report.Pass(check, title,
                    MachineKey(places.extension) +
                        (updateUrl ? " updates from " + *updateUrl : " names " + *path));
    }
}

#else

void CheckHostRegistration(DoctorReport& report, const InstallLayout& layout,
                           const BrowserPlaces& places) {
    const std::string check = places.check + "-host";
    const std::string title = places.name + ": native host";
    const std::string manifest = Rooted(layout, places.hostRegistration);
    if (const auto problem = ManifestProblem(layout, places, manifest)) {
        report.Fail(check, title, *problem, kReinstall);
        return;
    }
    report.Pass(check, title, places.hostRegistration + " names the installed host");
}

void CheckExtension(DoctorReport& report, const InstallLayout& layout,
                    const BrowserPlaces& places) {
    const std::string check = places.check + "-extension";
    const std::string title = places.name + ": extension";
    const std::string file = Rooted(layout, places.extension);
    if (places.family == BrowserFamily::kGecko) {
        if (!IsFile(file)) {
            report.Fail(check, title, places.extension + " is missing", kReinstall);
        } else {
            report.Pass(check, title, places.extension + " is installed");
        }
        return;
    }
    auto read = ReadJsonObject(file);
    if (std::holds_alternative<std::string>(read)) {
        report.Fail(check, title,
                    places.extension + (IsFile(file) ? " is not a JSON object" : " is missing"),
                    kReinstall);
        return;
    }
    const nlohmann::json& document = std::get<nlohmann::json>(read);
    const std::string crx = StringField(document, "external_crx");
    const std::string updateUrl = StringField(document, "external_update_url");
    if (!crx.empty()) {
        if (!IsFile(Rooted(layout, crx))) {
            report.Fail(check, title, places.extension + " names " + crx + ", which is missing",
                        kReinstall);
        } else {
            report.Pass(check, title,
                        places.extension + " names " + crx + ", version " +
                            StringField(document, "external_version"));
        }
    } else if (!updateUrl.empty()) {
        report.Pass(check, title, places.extension + " updates from " + updateUrl);
    } else {
        report.Fail(check, title, places.extension + " names no extension", kReinstall);
    }
}

#endif

}  // namespace

void CheckBrowsers(DoctorReport& report, const InstallLayout& layout) {
    for (const BrowserPlaces& places : layout.browsers) {
        CheckHostRegistration(report, layout, places);
        CheckExtension(report, layout, places);
    }
}

}  // namespace kestrova::host
