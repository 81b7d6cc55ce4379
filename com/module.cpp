#include "com/module.h"

#include <algorithm>
#include <atomic>

namespace kestrova::com {
namespace {

HINSTANCE moduleInstance = nullptr;
std::atomic<long> moduleReferences{0};

}  // namespace

HINSTANCE ModuleInstance() {
    return moduleInstance;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(moduleInstance, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void AddModuleReference() {
    ++moduleReferences;
}

void ReleaseModuleReference() {
    --moduleReferences;
}

bool ModuleInUse() {
    return moduleReferences.load() != 0;
}

std::wstring LoadModuleString(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size, LoadStringW hands out the resource in place.
    const int length = LoadStringW(moduleInstance, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text != nullptr ? std::wstring(text, static_cast<std::size_t>(length))
                                         : std::wstring();
}

LPOLESTR TaskMemoryCopy(const std::wstring& text) {
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
    if (copy != nullptr) {
        std::copy(text.c_str(), text.c_str() + text.size() + 1, copy);
    }
    return copy;
}

}  // namespace kestrova::com

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        kestrova::com::moduleInstance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
