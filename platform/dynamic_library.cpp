#include "platform/dynamic_library.h"

#include <dlfcn.h>

namespace kestrova::platform {

// The dlopen handle itself stands behind the opaque type.
DynamicLibrary* LoadDynamicLibrary(const char* name) {
    if (name == nullptr) {
        return nullptr;
    }
    // Local binding keeps the service's symbols out of the global namespace,
    // so two service libraries (the system's and a simulated one) never mix.
    return static_cast<DynamicLibrary*>(dlopen(name, RTLD_NOW | RTLD_LOCAL));
}

void* FindLibrarySymbol(DynamicLibrary* library, const char* symbolName) {
    if (library == nullptr || symbolName == nullptr) {
        return nullptr;
    }
    return dlsym(library, symbolName);
}

void UnloadDynamicLibrary(DynamicLibrary* library) {
    if (library != nullptr) {
        dlclose(library);
    }
}

}  // namespace kestrova::platform
