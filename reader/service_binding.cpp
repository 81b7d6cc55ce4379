#include "reader/service_binding.h"

#include <string>

#include "platform/dynamic_library.h"
#include "reader/card_service.h"
#include "reader/result_codes.h"

namespace kestrova {
namespace {

std::string& LibraryName() {
    static std::string name = kSystemCardServiceLibrary;
    return name;
}

// The functions that take or give text carry an A suffix in Windows'
// service, which exports both the ANSI and the wide forms.
#ifdef _WIN32
constexpr const char* kListReadersName = "SCardListReadersA";
constexpr const char* kConnectName = "SCardConnectA";
constexpr const char* kStatusName = "SCardStatusA";
#else
constexpr const char* kListReadersName = "SCardListReaders";
constexpr const char* kConnectName = "SCardConnect";
constexpr const char* kStatusName = "SCardStatus";
#endif

template <typename Pointer>
bool Resolve(platform::DynamicLibrary* library, const char* symbolName, Pointer& pointer) {
    void* address = platform::FindLibrarySymbol(library, symbolName);
    pointer = reinterpret_cast<Pointer>(address);
    return address != nullptr;
}

// Resolves in the service's published order and stops at the first required
// name that is missing. T=1 and raw records are optional: a service may lack
// them.
bool ResolveAll(platform::DynamicLibrary* library, PcscFunctions& functions) {
    if (!Resolve(library, "g_rgSCardT0Pci", functions.t0Pci)) {
        return false;
    }
    Resolve(library, "g_rgSCardT1Pci", functions.t1Pci);
    Resolve(library, "g_rgSCardRawPci", functions.rawPci);
    return Resolve(library, "SCardEstablishContext", functions.establishContext) &&
           Resolve(library, "SCardReleaseContext", functions.releaseContext) &&
           Resolve(library, kListReadersName, functions.listReaders) &&
           Resolve(library, kConnectName, functions.connect) &&
           Resolve(library, "SCardReconnect", functions.reconnect) &&
           Resolve(library, "SCardDisconnect", functions.disconnect) &&
           Resolve(library, kStatusName, functions.status) &&
           Resolve(library, "SCardTransmit", functions.transmit) &&
           Resolve(library, "SCardGetAttrib", functions.getAttrib) &&
           Resolve(library, "SCardEndTransaction", functions.endTransaction) &&
           Resolve(library, "SCardBeginTransaction", functions.beginTransaction);
}

}  // namespace

void SetCardServiceLibrary(const char* nameOrPath) {
    LibraryName() =
        (nameOrPath == nullptr || *nameOrPath == '\0') ? kSystemCardServiceLibrary : nameOrPath;
}

const char* CardServiceLibrary() {
    return LibraryName().c_str();
}

std::int32_t BindCardService() {
    CardService& service = TheCardService();
    if (service.library != nullptr) {
        return kResultSuccess;
    }
    platform::DynamicLibrary* library = platform::LoadDynamicLibrary(CardServiceLibrary());
    if (library == nullptr) {
        return kResultFailure;
    }
    PcscFunctions functions;
    if (!ResolveAll(library, functions)) {
        platform::UnloadDynamicLibrary(library);
        return kResultFailure;
    }
    service.library = library;
    service.functions = functions;
    return kResultSuccess;
}

std::int32_t UnbindCardService() {
    CardService& service = TheCardService();
    platform::UnloadDynamicLibrary(service.library);
    service.library = nullptr;
    service.functions = PcscFunctions{};
    return kResultSuccess;
}

}  // namespace kestrova
