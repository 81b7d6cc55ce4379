#include "host/install_layout.h"

#ifdef _WIN32
#include "platform/executable_location.h"
#endif

#if !defined(KESTROVA_NATIVE_HOST_NAME) || !defined(KESTROVA_CHROMIUM_EXTENSION_ID) || \
    !defined(KESTROVA_GECKO_EXTENSION_ID)
#error "The build names the native host and the extension's ids"
#endif

namespace kestrova::host {

#ifdef _WIN32

InstallLayout InstalledLayout() {
    const std::string host = KESTROVA_NATIVE_HOST_NAME;
    const std::string chromiumId = KESTROVA_CHROMIUM_EXTENSION_ID;
    InstallLayout layout{{},
                         platform::ExecutableDirectory() + "\\host.conf",
                         host,
                         chromiumId,
                         KESTROVA_GECKO_EXTENSION_ID,
                         {}};
    layout.browsers = {
        {"chrome", "Google Chrome", BrowserFamily::kChromium,
         "Software\\Google\\Chrome\\NativeMessagingHosts\\" + host,
         "Software\\Google\\Chrome\\Extensions\\" + chromiumId},
        {"edge", "Microsoft Edge", BrowserFamily::kChromium,
         "Software\\Microsoft\\Edge\\NativeMessagingHosts\\" + host,
         "Software\\Microsoft\\Edge\\Extensions\\" + chromiumId},
        {"firefox", "Firefox", BrowserFamily::kGecko,
         "Software\\Mozilla\\NativeMessagingHosts\\" + host,
         "Software\\Mozilla\\Firefox\\Extensions"},
    };
    return layout;
}

#else

#if !defined(KESTROVA_HOST_CONFIG_FILE) || !defined(KESTROVA_CHROMIUM_HOSTS_DIR) ||       \
    !defined(KESTROVA_CHROME_HOSTS_DIR) || !defined(KESTROVA_FIREFOX_HOSTS_DIR) ||        \
    !defined(KESTROVA_CHROMIUM_EXTERNAL_DIR) || !defined(KESTROVA_CHROME_EXTERNAL_DIR) || \
    !defined(KESTROVA_FIREFOX_XPI_FILE)
#error "The build names the installed places"
#endif

InstallLayout InstalledLayout() {
    const std::string host = KESTROVA_NATIVE_HOST_NAME;
    const std::string manifest = "/" + host + ".json";
    const std::string chromiumId = KESTROVA_CHROMIUM_EXTENSION_ID;
    const std::string geckoId = KESTROVA_GECKO_EXTENSION_ID;
    InstallLayout layout{{}, KESTROVA_HOST_CONFIG_FILE, host, chromiumId, geckoId, {}};
    layout.browsers = {
        {"chromium", "Chromium", BrowserFamily::kChromium, KESTROVA_CHROMIUM_HOSTS_DIR + manifest,
         std::string(KESTROVA_CHROMIUM_EXTERNAL_DIR) + "/" + chromiumId + ".json"},
        {"chrome", "Google Chrome", BrowserFamily::kChromium, KESTROVA_CHROME_HOSTS_DIR + manifest,
         std::string(KESTROVA_CHROME_EXTERNAL_DIR) + "/" + chromiumId + ".json"},
        {"firefox", "Firefox", BrowserFamily::kGecko, KESTROVA_FIREFOX_HOSTS_DIR + manifest,
         KESTROVA_FIREFOX_XPI_FILE},
    };
    return layout;
}

#endif

}  // namespace kestrova::host
