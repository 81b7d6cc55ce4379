#pragma once

// Loading a shared library by name at run time and finding its symbols.

namespace kestrova::platform {

// A loaded library; opaque to callers.
struct DynamicLibrary;

// Loads the library by name or path as the system's loader finds it. Returns
// null when it cannot be loaded.
DynamicLibrary* LoadDynamicLibrary(const char* name);

// The address of a function or data symbol exported by the library, or null.
void* FindLibrarySymbol(DynamicLibrary* library, const char* symbolName);

// Releases the library; null is ignored. Addresses found in it must not be
// used afterwards.
void UnloadDynamicLibrary(DynamicLibrary* library);

}  // namespace kestrova::platform
