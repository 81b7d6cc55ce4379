#include "tests/sim/bound_service.h"

#include <dlfcn.h>

namespace kestrova::sim_test {
namespace {

template <typename Pointer>
void Resolve(void* library, const char* name, Pointer& pointer) {
    pointer = reinterpret_cast<Pointer>(dlsym(library, name));
}

}  // namespace

BoundService BindService(const char* path) {
    BoundService service;
    service.library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (service.library == nullptr) {
        return service;
    }
    void* library = service.library;
    Resolve(library, "g_rgSCardT0Pci", service.t0Pci);
    Resolve(library, "g_rgSCardT1Pci", service.t1Pci);
    Resolve(library, "g_rgSCardRawPci", service.rawPci);
    Resolve(library, "SCardEstablishContext", service.establishContext);
    Resolve(library, "SCardReleaseContext", service.releaseContext);
    Resolve(library, "SCardListReaders", service.listReaders);
    Resolve(library, "SCardConnect", service.connect);
    Resolve(library, "SCardReconnect", service.reconnect);
    Resolve(library, "SCardDisconnect", service.disconnect);
    Resolve(library, "SCardStatus", service.status);
    Resolve(library, "SCardTransmit", service.transmit);
    Resolve(library, "SCardGetAttrib", service.getAttrib);
    Resolve(library, "SCardBeginTransaction", service.beginTransaction);
    Resolve(library, "SCardEndTransaction", service.endTransaction);
    return service;
}

const BoundService& Service() {
    static const BoundService service = BindService(KESTROVA_SIM_PCSC_PATH);
    return service;
}

}  // namespace kestrova::sim_test
