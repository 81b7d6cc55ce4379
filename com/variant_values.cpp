#include "com/variant_values.h"

#include <string>

namespace kestrova::com {
namespace {

std::u16string BstrText(BSTR text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

}  // namespace

std::optional<AutomationValue> ArgumentValue(const VARIANT& argument, bool& overflow) {
    overflow = false;
    VARIANT value;
    VariantInit(&value);
    // VariantCopyInd only reads its source, whatever its declaration says.
    if (FAILED(VariantCopyInd(&value, const_cast<VARIANT*>(&argument)))) {
        return std::nullopt;
    }
    std::optional<AutomationValue> converted;
    switch (V_VT(&value)) {
        case VT_EMPTY:
        case VT_NULL:
            converted = AutomationValue::NullString();
            break;
        case VT_BSTR:
            converted = V_BSTR(&value) == nullptr
                            ? AutomationValue::NullString()
                            : AutomationValue::String(BstrText(V_BSTR(&value)));
            break;
        case VT_I1:
        case VT_I2:
        case VT_I4:
        case VT_I8:
        case VT_INT:
        case VT_UI1:
        case VT_UI2:
        case VT_UI4:
        case VT_UI8:
        case VT_UINT:
        case VT_R4:
        case VT_R8:
        case VT_BOOL:
        case VT_DECIMAL:
        case VT_CY: {
            // Numbers are rounded and range-checked as the platform does.
            VARIANT number;
            VariantInit(&number);
            const HRESULT changed = VariantChangeType(&number, &value, 0, VT_I4);
            if (SUCCEEDED(changed)) {
                converted = AutomationValue::Long(V_I4(&number));
            } else {
                overflow = changed == DISP_E_OVERFLOW;
            }
            VariantClear(&number);
            break;
        }
        default:
            break;
    }
    VariantClear(&value);
    return converted;
}

HRESULT StoreResult(const AutomationValue& value, VARIANT& result) {
    if (value.IsLong()) {
        V_VT(&result) = VT_I4;
        V_I4(&result) = value.AsLong();
        return S_OK;
    }
    V_VT(&result) = VT_BSTR;
    V_BSTR(&result) = nullptr;
    const Bstr& text = value.AsBstr();
    if (text.IsNull()) {
        return S_OK;
    }
    const std::u16string_view characters = text.Text();
    V_BSTR(&result) = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(characters.data()),
                                        static_cast<UINT>(characters.size()));
    return V_BSTR(&result) != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace kestrova::com
