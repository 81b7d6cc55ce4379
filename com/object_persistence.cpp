// Persistence: the control has no property of its own and keeps only its
// version, 1.0 (0x10000), in a stream or a property bag. A saved state of
// any version is accepted when loaded.

#include "com/kestrova_object.h"

namespace kestrova::com {
namespace {

constexpr DWORD kPersistedVersion = 0x10000;
constexpr wchar_t kVersionProperty[] = L"_Version";

}  // namespace

HRESULT KestrovaObject::Load(IStream* stream) {
    if (stream == nullptr) {
        return E_POINTER;
    }
    DWORD version = 0;
    ULONG read = 0;
    const HRESULT result = stream->Read(&version, sizeof version, &read);
    if (FAILED(result)) {
        return result;
    }
    return read == sizeof version ? S_OK : STG_E_READFAULT;
}

HRESULT KestrovaObject::Save(IStream* stream, BOOL) {
    if (stream == nullptr) {
        return E_POINTER;
    }
    const DWORD version = kPersistedVersion;
    ULONG written = 0;
    const HRESULT result = stream->Write(&version, sizeof version, &written);
    if (FAILED(result)) {
        return result;
    }
    return written == sizeof version ? S_OK : STG_E_WRITEFAULT;
}

HRESULT KestrovaObject::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr) {
        return E_POINTER;
    }
    size->QuadPart = sizeof(DWORD);
    return S_OK;
}

HRESULT KestrovaObject::Load(IPropertyBag* bag, IErrorLog* log) {
    if (bag == nullptr) {
        return E_POINTER;
    }
    // A page's <object> usually names no version; that is a new control.
    VARIANT version;
    VariantInit(&version);
    V_VT(&version) = VT_I4;
    bag->Read(kVersionProperty, &version, log);
    VariantClear(&version);
    return S_OK;
}

HRESULT KestrovaObject::Save(IPropertyBag* bag, BOOL, BOOL) {
    if (bag == nullptr) {
        return E_POINTER;
    }
    VARIANT version;
    VariantInit(&version);
    V_VT(&version) = VT_I4;
    V_I4(&version) = static_cast<LONG>(kPersistedVersion);
    return bag->Write(kVersionProperty, &version);
}

}  // namespace kestrova::com
