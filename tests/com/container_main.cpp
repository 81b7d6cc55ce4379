// A small container that uses KESTROVA.OCX as a browser does. Run under
// Wine with the module registered:
//   kestrova_container checks [simulated]
//                                    every check below, then "N passed, N failed";
//                                    simulated: winscard.dll is the simulated one
//   kestrova_container selfreg PATH  DllRegisterServer's and then
//                                    DllUnregisterServer's HRESULTs, in hex
//   kestrova_container page URL FILE the JScript FILE as the page at URL
//                                    (script_page.h)

#include <ole2.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "container_checks.h"
#include "script_page.h"

namespace {

int SelfRegistration(const char* path) {
    HMODULE module = LoadLibraryA(path);
    if (module == nullptr) {
        std::printf("cannot load %s\n", path);
        return 2;
    }
    using Entry = HRESULT(STDAPICALLTYPE*)();
    for (const char* name : {"DllRegisterServer", "DllUnregisterServer"}) {
        auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
        std::printf("%s %s\n", name,
                    entry != nullptr ? kestrova::container::Hex(entry()).c_str() : "missing");
    }
    FreeLibrary(module);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (FAILED(OleInitialize(nullptr))) {
        std::printf("OleInitialize failed\n");
        return 2;
    }
    int status = 2;
    if (argc == 3 && std::strcmp(argv[1], "selfreg") == 0) {
        status = SelfRegistration(argv[2]);
    } else if (argc == 4 && std::strcmp(argv[1], "page") == 0) {
        auto wide = [](const char* text) { return std::wstring(text, text + std::strlen(text)); };
        status = kestrova::container::RunPageScript(wide(argv[2]), wide(argv[3])) ? 0 : 1;
    } else if ((argc == 2 || (argc == 3 && std::strcmp(argv[2], "simulated") == 0)) &&
               std::strcmp(argv[1], "checks") == 0) {
        using namespace kestrova::container;
        CheckSafety();
        CheckHostingPages(argc == 3);
        CheckRefusedPages(argc == 3);
        CheckDispatch();
        CheckDrawing();
        CheckInPlaceActivation();
        CheckPersistence();
        CheckConnectionPointAndClassInfo();
        CheckPropertyPage();
        CheckVerbs();
        std::printf("%d passed, %d failed\n", PassedChecks(), FailedChecks());
        status = FailedChecks() == 0 ? 0 : 1;
    } else {
        std::printf(
            "usage: kestrova_container checks [simulated] | selfreg PATH | page URL FILE\n");
    }
    OleUninitialize();
    return status;
}
