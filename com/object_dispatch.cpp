// The dispatch interface _DKestrova and the class information: names and
// DISPIDs come from the control's method table, which the type library
// mirrors; calls go through the control's dispatch layer, so arguments are
// converted and refused exactly as on every other host.

#include <string>
#include <vector>

#include "com/kestrova_object.h"
#include "com/module_guids.h"
#include "com/type_library.h"
#include "com/variant_values.h"
#include "control/dispatch.h"
#include "control/method_table.h"
#include "control/unicode_text.h"

namespace kestrova::com {
namespace {

std::string NameText(LPCOLESTR name) {
    return Utf16ToUtf8(reinterpret_cast<const char16_t*>(name));
}

BSTR NewBstr(const std::string& utf8) {
    const std::optional<std::u16string> text = Utf8ToUtf16(utf8);
    return text ? SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text->data()),
                                    static_cast<UINT>(text->size()))
                : nullptr;
}

// An automation failure of the call itself, with the same text as on every
// other host, for the script's error object.
HRESULT ReportFailure(const AutomationError& error, EXCEPINFO* exception) {
    const auto code = static_cast<HRESULT>(error.code);
    if (exception == nullptr) {
        return code;
    }
    *exception = EXCEPINFO{};
    exception->bstrSource = SysAllocString(L"KESTROVA.KestrovaCtrl.1");
    exception->bstrDescription = NewBstr(error.message);
    exception->scode = code;
    return DISP_E_EXCEPTION;
}

}  // namespace

HRESULT KestrovaObject::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 1;
    return S_OK;
}

HRESULT KestrovaObject::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    *info = nullptr;
    if (index != 0) {
        return DISP_E_BADINDEX;
    }
    return LoadTypeInfo(DIID__DKestrova, lcid, info);
}

HRESULT KestrovaObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* dispids) {
    if (names == nullptr || dispids == nullptr || count == 0) {
        return E_INVALIDARG;
    }
    const MethodInfo* method = FindMethod(NameText(names[0]));
    dispids[0] = method != nullptr ? method->dispid : DISPID_UNKNOWN;
    // Arguments are passed by position only.
    for (UINT i = 1; i < count; ++i) {
        dispids[i] = DISPID_UNKNOWN;
    }
    return method != nullptr && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT KestrovaObject::Invoke(DISPID dispid, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    if (!IsEqualIID(iid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    const MethodInfo* method = FindMethod(static_cast<std::int32_t>(dispid));
    // Members are methods: a call, possibly flagged as a property get too, as
    // script hosts send it; a bare get or a put is no call of a method.
    if (method == nullptr || (flags & DISPATCH_METHOD) == 0) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (params == nullptr || (params->cArgs > 0 && params->rgvarg == nullptr)) {
        return E_INVALIDARG;
    }
    if (params->cNamedArgs > 0) {
        return DISP_E_NONAMEDARGS;
    }
    std::vector<AutomationValue> arguments;
    arguments.reserve(params->cArgs);
    // rgvarg holds the arguments last to first.
    for (UINT position = 0; position < params->cArgs; ++position) {
        const UINT slot = params->cArgs - 1 - position;
        bool overflow = false;
        std::optional<AutomationValue> argument = ArgumentValue(params->rgvarg[slot], overflow);
        if (!argument) {
            if (argumentError != nullptr) {
                *argumentError = slot;
            }
            return overflow ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH;
        }
        arguments.push_back(std::move(*argument));
    }
    const InvokeResult outcome = InvokeMethod(control_, *method, arguments);
    // Our copies of the texts may hold a PIN; the values are ours to wipe.
    for (AutomationValue& argument : arguments) {
        if (argument.IsBstr()) {
            const_cast<Bstr&>(argument.AsBstr()).Wipe();
        }
    }
    if (!outcome.Succeeded()) {
        return ReportFailure(outcome.Error(), exception);
    }
    if (result == nullptr) {
        return S_OK;
    }
    VariantInit(result);
    return StoreResult(outcome.Value(), *result);
}

HRESULT KestrovaObject::GetClassInfo(ITypeInfo** info) {
    return LoadTypeInfo(CLSID_Kestrova, LOCALE_NEUTRAL, info);
}

HRESULT KestrovaObject::GetGUID(DWORD kind, GUID* guid) {
    if (guid == nullptr) {
        return E_POINTER;
    }
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = DIID__DKestrovaEvents;
    return S_OK;
}

}  // namespace kestrova::com
