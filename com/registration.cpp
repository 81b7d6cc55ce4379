// DllRegisterServer and DllUnregisterServer: the type library from the
// module's own resources, then each class's registry entries; the control
// is also marked safe for scripting and for initialisation, best effort.

#include <comcat.h>
#include <objsafe.h>
#include <olectl.h>

#include "com/component_categories.h"
#include "com/module.h"
#include "com/module_guids.h"
#include "com/registry_keys.h"

namespace kestrova::com {
namespace {

constexpr wchar_t kControlProgId[] = L"KESTROVA.KestrovaCtrl.1";

#ifdef _WIN64
constexpr SYSKIND kSysKind = SYS_WIN64;
#else
constexpr SYSKIND kSysKind = SYS_WIN32;
#endif

HRESULT RegisterTypeLibrary() {
    ITypeLib* library = nullptr;
    const HRESULT result = LoadTypeLibEx(ModulePath().c_str(), REGKIND_REGISTER, &library);
    if (FAILED(result)) {
        return result;
    }
    library->Release();
    return S_OK;
}

// The library is registered under the locale it declares (0x409); asking to
// remove locale 0 would find nothing and fail every unregistration.
LCID RegisteredLocale() {
    LCID locale = 0;
    ITypeLib* library = nullptr;
    if (SUCCEEDED(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &library))) {
        TLIBATTR* attributes = nullptr;
        if (SUCCEEDED(library->GetLibAttr(&attributes))) {
            locale = attributes->lcid;
            library->ReleaseTLibAttr(attributes);
        }
        library->Release();
    }
    return locale;
}

// A category the control cannot be marked with is left out silently: the
// control still works where the page's container asks no questions.
void MarkControlInCategory(REFGUID category, const wchar_t* description) {
    if (SUCCEEDED(CreateComponentCategory(category, description))) {
        RegisterClassInCategory(CLSID_Kestrova, category);
    }
}

HRESULT RegisterControl() {
    const HRESULT result = RegisterControlClass();
    MarkControlInCategory(CATID_SafeForScripting, L"Controls that are safely scriptable");
    MarkControlInCategory(CATID_SafeForInitializing,
                          L"Controls safely initializable from persistent data");
    return result;
}

}  // namespace
}  // namespace kestrova::com

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    using namespace kestrova::com;
    if (FAILED(RegisterTypeLibrary())) {
        return SELFREG_E_TYPELIB;
    }
    const bool control = SUCCEEDED(RegisterControl());
    const bool page = SUCCEEDED(RegisterPropertyPageClass());
    return control && page ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    using namespace kestrova::com;
    if (FAILED(UnRegisterTypeLib(LIBID_KESTROVALib, kTypeLibraryMajor, kTypeLibraryMinor,
                                 RegisteredLocale(), kSysKind))) {
        return SELFREG_E_TYPELIB;
    }
    const bool control = SUCCEEDED(RemoveClassKeys(CLSID_Kestrova, kControlProgId));
    const bool page = SUCCEEDED(RemoveClassKeys(CLSID_KestrovaPropPage, nullptr));
    return control && page ? S_OK : SELFREG_E_CLASS;
}
