#include "com/registry_keys.h"

#include <string>

#include "com/module.h"
#include "com/module_guids.h"
#include "resources/kestrova_resource_ids.h"

namespace kestrova::com {
namespace {

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

// Creates key (a path below HKEY_CLASSES_ROOT) and sets one value of it;
// name null: the default value.
bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    const LONG result = RegSetValueExW(handle, name, 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

bool CreateKey(const std::wstring& key) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(handle);
    return true;
}

bool DeleteTree(const std::wstring& key) {
    const LONG result = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
        return false;
    }
    RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    return true;
}

// What a class's registration wrote below its CLSID key. The component
// category marks ("Implemented Categories") are the category manager's and
// stay; the key itself goes only when nothing else is left in it.
constexpr const wchar_t* kClassSubkeys[] = {L"ProgID",     L"InprocServer32", L"ToolboxBitmap32",
                                            L"MiscStatus", L"Control",        L"TypeLib",
                                            L"Version"};

bool DeleteClassKey(const std::wstring& key) {
    bool removed = true;
    for (const wchar_t* subkey : kClassSubkeys) {
        removed = DeleteTree(key + L"\\" + subkey) && removed;
    }
    HKEY handle = nullptr;
    const LONG opened = RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_SET_VALUE, &handle);
    if (opened == ERROR_FILE_NOT_FOUND) {
        return removed;
    }
    if (opened != ERROR_SUCCESS) {
        return false;
    }
    const LONG cleared = RegDeleteValueW(handle, nullptr);
    RegCloseKey(handle);
    // Fails, as it should, while category marks remain below the key.
    RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    return removed && (cleared == ERROR_SUCCESS || cleared == ERROR_FILE_NOT_FOUND);
}

}  // namespace

HRESULT RegisterControlClass() {
    const std::wstring path = ModulePath();
    const std::wstring typeName = LoadModuleString(IDS_KESTROVA);
    const std::wstring clsid = GuidText(CLSID_Kestrova);
    const std::wstring progId = L"KESTROVA.KestrovaCtrl.1";
    const std::wstring key = L"CLSID\\" + clsid;
    const bool written =
        !path.empty() && !typeName.empty() && SetValue(progId, nullptr, typeName) &&
        SetValue(progId + L"\\CLSID", nullptr, clsid) && SetValue(key, nullptr, typeName) &&
        SetValue(key + L"\\ProgID", nullptr, progId) &&
        SetValue(key + L"\\InprocServer32", nullptr, path) &&
        SetValue(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
        SetValue(key + L"\\ToolboxBitmap32", nullptr,
                 path + L", " + std::to_wstring(IDB_KESTROVA)) &&
        SetValue(key + L"\\MiscStatus", nullptr, L"0") &&
        SetValue(key + L"\\MiscStatus\\1", nullptr, std::to_wstring(kMiscStatus)) &&
        CreateKey(key + L"\\Control") &&
        SetValue(key + L"\\TypeLib", nullptr, GuidText(LIBID_KESTROVALib)) &&
        SetValue(key + L"\\Version", nullptr,
                 std::to_wstring(kTypeLibraryMajor) + L"." + std::to_wstring(kTypeLibraryMinor));
    return written ? S_OK : SELFREG_E_CLASS;
}

HRESULT RegisterPropertyPageClass() {
    const std::wstring path = ModulePath();
    const std::wstring typeName = LoadModuleString(IDS_KESTROVA_PPG);
    const std::wstring key = L"CLSID\\" + GuidText(CLSID_KestrovaPropPage);
    const bool written = !path.empty() && !typeName.empty() && SetValue(key, nullptr, typeName) &&
                         SetValue(key + L"\\InprocServer32", nullptr, path);
    return written ? S_OK : SELFREG_E_CLASS;
}

HRESULT RemoveClassKeys(REFCLSID clsid, const wchar_t* progId) {
    bool removed = DeleteClassKey(L"CLSID\\" + GuidText(clsid));
    if (progId != nullptr) {
        removed = DeleteTree(progId) && removed;
    }
    return removed ? S_OK : SELFREG_E_CLASS;
}

}  // namespace kestrova::com
