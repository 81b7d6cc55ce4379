#include "com/component_categories.h"

#include <comcat.h>

#include <algorithm>

namespace kestrova::com {
namespace {

constexpr LCID kDescriptionLocale = 0x409;
constexpr std::size_t kDescriptionCharacters = 127;

HRESULT CreateCategoryManager(ICatRegister** manager) {
    return CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                            IID_ICatRegister, reinterpret_cast<void**>(manager));
}

}  // namespace

HRESULT CreateComponentCategory(REFGUID category, const wchar_t* description) {
    ICatRegister* manager = nullptr;
    HRESULT result = CreateCategoryManager(&manager);
    if (FAILED(result)) {
        return result;
    }
    CATEGORYINFO info{};
    info.catid = category;
    info.lcid = kDescriptionLocale;
    const std::size_t length = std::min(wcslen(description), kDescriptionCharacters);
    std::copy(description, description + length, info.szDescription);
    info.szDescription[length] = L'\0';
    result = manager->RegisterCategories(1, &info);
    manager->Release();
    return result;
}

HRESULT RegisterClassInCategory(REFCLSID clsid, REFGUID category) {
    ICatRegister* manager = nullptr;
    HRESULT result = CreateCategoryManager(&manager);
    if (FAILED(result)) {
        return result;
    }
    CATID categories[1] = {category};
    result = manager->RegisterClassImplCategories(clsid, 1, categories);
    manager->Release();
    return result;
}

}  // namespace kestrova::com
