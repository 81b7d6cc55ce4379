#pragma once

// Where an installed Kestrova registers itself with each supported browser,
// as the checks of `kestrova doctor` look for it. On Linux the places are
// files; on Windows registry keys under HKEY_LOCAL_MACHINE.

#include <string>
#include <vector>

namespace kestrova::host {

enum class BrowserFamily { kChromium, kGecko };

struct BrowserPlaces {
    std::string check;  // "chromium", "chrome", "edge", "firefox"
    std::string name;   // "Chromium", "Google Chrome", ...
    BrowserFamily family = BrowserFamily::kChromium;
    // Linux: the host manifest's file. Windows: the key whose default value
    // names the manifest.
    std::string hostRegistration;
    // Linux: the external-extension file (Chromium family: ID.json naming
    // the CRX; Firefox: the XPI itself). Windows: the extension's key
    // (Chromium family: ...\Extensions\ID; Firefox: ...\Firefox\Extensions,
    // whose value named by the extension's id names the XPI).
    std::string extension;
};

struct InstallLayout {
    // Put before every absolute path that is checked: a staged install.
    // Empty: the system itself.
    std::string root;
    std::string configFile;  // host.conf in force (not under root: named as it is read)
    std::string nativeHostName;
    std::string chromiumExtensionId;
    std::string geckoExtensionId;
    std::vector<BrowserPlaces> browsers;
};

// This build's version, and the version of the bridge's wire protocol.
inline constexpr const char* kComponentVersion = KESTROVA_COMPONENT_VERSION;
inline constexpr int kBridgeProtocolVersion = KESTROVA_BRIDGE_PROTOCOL_VERSION;

// The places this build installs to; configFile is the installed host.conf.
InstallLayout InstalledLayout();

}  // namespace kestrova::host
