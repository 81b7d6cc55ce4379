#pragma once

// The module's own state: its instance handle, and the count of live objects
// and server locks that decides whether it may be unloaded.

#include <ole2.h>
#include <windows.h>

#include <string>

namespace kestrova::com {

HINSTANCE ModuleInstance();

// Full path of KESTROVA.OCX as loaded; empty if it cannot be had.
std::wstring ModulePath();

// Each live object and each IClassFactory::LockServer(TRUE) holds one.
void AddModuleReference();
void ReleaseModuleReference();
bool ModuleInUse();

// A string resource of the module; empty when it is missing.
std::wstring LoadModuleString(UINT id);

// text in memory of CoTaskMemAlloc, for a caller that frees it with
// CoTaskMemFree; null when there is no memory.
LPOLESTR TaskMemoryCopy(const std::wstring& text);

}  // namespace kestrova::com
