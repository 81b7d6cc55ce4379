#include "container_checks.h"

#include <comcat.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "KESTROVA_h.h"

namespace kestrova::container {
namespace {

int passed = 0;
int failed = 0;

}  // namespace

void Check(bool ok, const std::string& name, const std::string& detail) {
    (ok ? passed : failed) += 1;
    if (ok) {
        std::printf("ok %s\n", name.c_str());
    } else {
        std::printf("FAIL %s: %s\n", name.c_str(), detail.c_str());
    }
}

int FailedChecks() {
    return failed;
}

int PassedChecks() {
    return passed;
}

std::string Hex(HRESULT value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        out += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return out;
}

IUnknown* CreateControl() {
    CLSID clsid;
    IUnknown* control = nullptr;
    if (FAILED(CLSIDFromProgID(L"KESTROVA.KestrovaCtrl.1", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&control)))) {
        return nullptr;
    }
    return control;
}

VARIANT Long(LONG value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

VARIANT Text(const wchar_t* value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(value);
    return v;
}

HRESULT CallByName(IDispatch* control, const wchar_t* name, std::initializer_list<VARIANT> args,
                   VARIANT* result) {
    return CallByName(control, name, std::vector<VARIANT>(args), result);
}

HRESULT CallByName(IDispatch* control, const wchar_t* name, const std::vector<VARIANT>& args,
                   VARIANT* result) {
    DISPID dispid = DISPID_UNKNOWN;
    auto* names = const_cast<LPOLESTR>(name);
    HRESULT hr = control->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &dispid);
    if (FAILED(hr)) {
        return hr;
    }
    std::vector<VARIANT> reversed(args.begin(), args.end());
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    VariantInit(result);
    EXCEPINFO exception{};
    hr = control->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT,
                         DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params, result, &exception,
                         nullptr);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return hr == DISP_E_EXCEPTION ? exception.scode : hr;
}

// A browser trusts a control with scripts and <param>s only when it says so:
// through IObjectSafety if it has it, else through its component categories.
void CheckSafety() {
    IUnknown* control = CreateControl();
    Check(control != nullptr, "created by ProgID");
    if (control == nullptr) {
        return;
    }
    IObjectSafety* safety = nullptr;
    if (SUCCEEDED(control->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(&safety)))) {
        const DWORD wanted = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
        Check(SUCCEEDED(safety->SetInterfaceSafetyOptions(IID_IDispatch, wanted, wanted)),
              "safe for scripting and initialisation (IObjectSafety)");
        safety->Release();
    } else {
        ICatInformation* categories = nullptr;
        HRESULT hr =
            CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                             IID_ICatInformation, reinterpret_cast<void**>(&categories));
        if (SUCCEEDED(hr)) {
            CATID safe[2] = {CATID_SafeForScripting, CATID_SafeForInitializing};
            hr = categories->IsClassOfCategories(CLSID_Kestrova, 2, safe, 0, nullptr);
            categories->Release();
        }
        Check(hr == S_OK, "safe for scripting and initialisation (categories)", Hex(hr));
    }
    IOleObject* ole = nullptr;
    DWORD status = 0;
    const bool asked =
        SUCCEEDED(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole))) &&
        SUCCEEDED(ole->GetMiscStatus(DVASPECT_CONTENT, &status));
    Check(asked && status == 0x20191 && (status & OLEMISC_SETCLIENTSITEFIRST) != 0,
          "miscellaneous status 0x20191", Hex(static_cast<HRESULT>(status)));
    if (ole != nullptr) {
        ole->Release();
    }
    control->Release();
}

// Names and calls as script hosts send them; failures of the call itself
// come back as the automation errors of the control's dispatch layer.
void CheckDispatch() {
    IUnknown* unknown = CreateControl();
    IDispatch* control = nullptr;
    if (unknown == nullptr ||
        FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&control)))) {
        Check(false, "IDispatch", "no control");
        if (unknown != nullptr) {
            unknown->Release();
        }
        return;
    }
    unknown->Release();
    struct NameCase {
        const wchar_t* name;
        DISPID dispid;
    };
    for (const NameCase& c : {NameCase{L"ListReaders", 1}, NameCase{L"getapiversion", 34},
                              NameCase{L"LOGINAUTHEN", 79}, NameCase{L"NoSuchMethod", -1}}) {
        DISPID dispid = 0;
        auto* name = const_cast<LPOLESTR>(c.name);
        const HRESULT hr = control->GetIDsOfNames(IID_NULL, &name, 1, 0, &dispid);
        Check(dispid == c.dispid && (c.dispid == -1 ? hr == DISP_E_UNKNOWNNAME : hr == S_OK),
              "GetIDsOfNames " + Narrow(c.name), Hex(hr));
    }
    VARIANT result;
    HRESULT hr = CallByName(control, L"GetAPIVersion", {}, &result);
    Check(hr == S_OK && V_VT(&result) == VT_BSTR && std::wstring(V_BSTR(&result)) == L"1.0.0.1",
          "GetAPIVersion", Hex(hr));
    VariantClear(&result);
    struct FailureCase {
        const wchar_t* method;
        std::vector<VARIANT> args;
        HRESULT expected;
    };
    VARIANT notNumber = Text(L"seven");
    VARIANT tooLarge;
    VariantInit(&tooLarge);
    V_VT(&tooLarge) = VT_R8;
    V_R8(&tooLarge) = 1e12;
    const FailureCase failures[] = {
        {L"GetReaderName", {}, DISP_E_BADPARAMCOUNT},
        {L"GetReaderName", {notNumber}, DISP_E_TYPEMISMATCH},
        {L"GetReaderName", {tooLarge}, DISP_E_OVERFLOW},
    };
    for (const FailureCase& f : failures) {
        std::vector<VARIANT> reversed(f.args.rbegin(), f.args.rend());
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        EXCEPINFO exception{};
        hr =
            control->Invoke(3, IID_NULL, 0, DISPATCH_METHOD, &params, &result, &exception, nullptr);
        const HRESULT code = hr == DISP_E_EXCEPTION ? exception.scode : hr;
        Check(code == f.expected, "automation error " + Hex(f.expected), Hex(code));
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
    }
    VariantClear(&notNumber);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    for (WORD flags : {WORD{DISPATCH_PROPERTYGET}, WORD{DISPATCH_PROPERTYPUT}}) {
        hr = control->Invoke(34, IID_NULL, 0, flags, &none, &result, nullptr, nullptr);
        Check(hr == DISP_E_MEMBERNOTFOUND, "no property access to a method", Hex(hr));
    }
    control->Release();
}

}  // namespace kestrova::container
