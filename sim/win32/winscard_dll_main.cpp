// Sets the simulated readers up when a process loads the library: the
// profile file named by KESTROVA_SIM_PROFILE, else the default profile. A
// profile that cannot be read leaves the service without readers, which the
// caller sees as SCARD_E_NO_READERS_AVAILABLE.

#include <windows.h>

#include <array>
#include <variant>

#include "sim/profiles/card_profile.h"
#include "sim/profiles/profile_installer.h"
#include "sim/service/simulated_pcsc.h"

namespace {

void InstallStartingProfile() {
    std::array<char, MAX_PATH + 1> path{};
    const DWORD length = GetEnvironmentVariableA("KESTROVA_SIM_PROFILE", path.data(), MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        static_cast<void>(kestrova::sim::InstallCardProfile(kestrova::sim::DefaultCardProfile()));
        return;
    }
    const kestrova::sim::ProfileResult loaded = kestrova::sim::LoadCardProfile(path.data());
    if (const auto* profile = std::get_if<kestrova::sim::CardProfile>(&loaded)) {
        static_cast<void>(kestrova::sim::InstallCardProfile(*profile));
    }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        InstallStartingProfile();
        // A page's host keeps no log; a test that reads it turns it on.
        kestrova::sim::RecordEvents(false);
    }
    return TRUE;
}
