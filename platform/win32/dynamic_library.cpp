#include "platform/dynamic_library.h"

#include <windows.h>

namespace kestrova::platform {

// The module handle itself stands behind the opaque type.
DynamicLibrary* LoadDynamicLibrary(const char* name) {
    if (name == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<DynamicLibrary*>(LoadLibraryA(name));
}

void* FindLibrarySymbol(DynamicLibrary* library, const char* symbolName) {
    if (library == nullptr || symbolName == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(library), symbolName));
}

void UnloadDynamicLibrary(DynamicLibrary* library) {
    if (library != nullptr) {
        FreeLibrary(reinterpret_cast<HMODULE>(library));
    }
}

}  // namespace kestrova::platform
