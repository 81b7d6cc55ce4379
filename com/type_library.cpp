#include "com/type_library.h"

#include <ole2.h>

#include "com/module.h"
#include "com/module_guids.h"

namespace kestrova::com {

HRESULT LoadTypeInfo(REFGUID guid, LCID lcid, ITypeInfo** info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    *info = nullptr;
    ITypeLib* library = nullptr;
    HRESULT result =
        LoadRegTypeLib(LIBID_KESTROVALib, kTypeLibraryMajor, kTypeLibraryMinor, lcid, &library);
    if (FAILED(result)) {
        result = LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &library);
    }
    if (FAILED(result)) {
        return result;
    }
    result = library->GetTypeInfoOfGuid(guid, info);
    library->Release();
    return result;
}

}  // namespace kestrova::com
